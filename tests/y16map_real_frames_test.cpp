// The Y16 mappings and the resize on real 640 x 512 camera frames: properties that must hold
// on any scene (monotonic maps, exact percentile counts, every byte written, stable limits
// from one frame to the next). Skipped when the shared frames are not there.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "imagemap/image_resize.h"
#include "y16map/plateau_agc.h"

namespace kmm {
namespace {

constexpr int32_t kWidth = 640, kHeight = 512;
constexpr size_t kPixels = size_t(kWidth) * kHeight;

// Every frame of a headerless little-endian 16-bit file, read as signed Y16.
std::vector<std::vector<int16_t>> readFrames(const std::string& name) {
    std::ifstream in(std::filesystem::path(KMM_SHARED_DATA_DIR) / name, std::ios::binary);
    std::vector<std::vector<int16_t>> frames;
    std::vector<unsigned char> bytes(kPixels * 2);
    while (in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        std::vector<int16_t> frame(kPixels);
        for (size_t i = 0; i < kPixels; ++i) {
            frame[i] = int16_t(uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8));
        }
        frames.push_back(std::move(frame));
    }
    return frames;
}

std::vector<std::vector<int16_t>> allFrames() {
    std::vector<std::vector<int16_t>> all;
    for (const char* name : {"street_640x512x4.u16le.raw", "seaice_640x512.u16le.raw",
                             "aerial_640x512.u16le.raw"}) {
        for (auto& f : readFrames(name)) all.push_back(std::move(f));
    }
    return all;
}

#define REQUIRE_FRAMES(frames)                                              \
    if ((frames).empty()) GTEST_SKIP() << "no real frames in " KMM_SHARED_DATA_DIR

// Each Y16 value gets one grey, and a larger value never a darker one.
void expectMonotonic(const std::vector<int16_t>& y16, const std::vector<uint8_t>& grey) {
    std::vector<int> greyOf(65536, -1);  // indexed by Y16 + 32768
    for (size_t i = 0; i < y16.size(); ++i) {
        int& g = greyOf[size_t(y16[i] + 32768)];
        ASSERT_TRUE(g < 0 || g == grey[i]) << "Y16 " << y16[i] << " maps to two greys";
        g = grey[i];
    }
    int previous = 0;
    for (size_t k = 0; k < greyOf.size(); ++k) {
        if (greyOf[k] < 0) continue;
        ASSERT_GE(greyOf[k], previous) << "at Y16 " << int(k) - 32768;
        previous = greyOf[k];
    }
}

TEST(Y16RealFrames, PercentileLimitsCountExactlyAndTheStretchIsMonotonic) {
    const auto frames = allFrames();
    REQUIRE_FRAMES(frames);
    for (const auto& y16 : frames) {
        GuardedBuffer<uint8_t> grey(kPixels);
        int16_t high = 0, low = 0;
        Y16MappingAD_dll(y16.data(), grey.data(), 255, 100, kWidth, kHeight, &high, &low, 1);
        ASSERT_TRUE(grey.canariesIntact());
        const auto below = std::count_if(y16.begin(), y16.end(), [&](int16_t v) { return v < low; });
        const auto atOrBelow = std::count_if(y16.begin(), y16.end(), [&](int16_t v) { return v <= low; });
        const auto above = std::count_if(y16.begin(), y16.end(), [&](int16_t v) { return v > high; });
        const auto atOrAbove = std::count_if(y16.begin(), y16.end(), [&](int16_t v) { return v >= high; });
        EXPECT_LT(below, 655);
        EXPECT_GE(atOrBelow, 655);
        EXPECT_LT(above, 655);
        EXPECT_GE(atOrAbove, 655);
        expectMonotonic(y16, grey.contents());

        // The manual window over the same limits is monotonic too.
        GuardedBuffer<uint8_t> window(kPixels);
        Y16Mapping_dll("", y16.data(), window.data(), kWidth, kHeight, &high, &low, false);
        ASSERT_TRUE(window.canariesIntact());
        expectMonotonic(y16, window.contents());
    }
}

// Consecutive frames of a moving scene: the limits drift, they do not jump.
TEST(Y16RealFrames, PercentileLimitsAreStableFromFrameToFrame) {
    const auto frames = readFrames("street_640x512x4.u16le.raw");
    REQUIRE_FRAMES(frames);
    std::vector<uint8_t> grey(kPixels);
    int16_t lastHigh = 0, lastLow = 0;
    for (size_t f = 0; f < frames.size(); ++f) {
        int16_t high = 0, low = 0;
        Y16MappingAD_dll(frames[f].data(), grey.data(), 255, 100, kWidth, kHeight, &high, &low, 1);
        if (f > 0) {
            const int32_t range = lastHigh - lastLow;
            EXPECT_LE(std::abs(high - lastHigh), range / 10) << "frame " << f;
            EXPECT_LE(std::abs(low - lastLow), range / 10) << "frame " << f;
        }
        lastHigh = high;
        lastLow = low;
    }
}

// Without the detail layer the AGC is a table of the Y16 value, rising with it; with it,
// every byte is written and nothing outside.
TEST(Y16RealFrames, AgcTablesRiseAndEveryByteIsWritten) {
    const auto frames = allFrames();
    REQUIRE_FRAMES(frames);
    const std::vector<int16_t> noDetail(kPixels, 0);
    const auto tables = std::make_unique_for_overwrite<AgcTables>();
    for (const auto& y16 : frames) {
        for (AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
            std::vector<uint8_t> grey(kPixels);
            mapPlateauAgc(*agcParams(variant), grey.data(), y16.data(), kWidth, kHeight,
                          noDetail.data(), *tables);
            expectMonotonic(y16, grey);
        }
        for (const char* model : {"DV15", "DV18-W"}) {
            GuardedBuffer<uint8_t> zeros(kPixels, 0), ones(kPixels, 1);
            Y16Mapping_dll(model, y16.data(), zeros.data(), kWidth, kHeight, nullptr, nullptr, true);
            Y16Mapping_dll(model, y16.data(), ones.data(), kWidth, kHeight, nullptr, nullptr, true);
            ASSERT_TRUE(zeros.canariesIntact() && ones.canariesIntact()) << model;
            ASSERT_EQ(zeros.contents(), ones.contents()) << model;
        }
    }
}

TEST(Y16RealFrames, ResizeMatchesTheReferenceAndKeepsTheSourcePixels) {
    const auto frames = readFrames("seaice_640x512.u16le.raw");
    REQUIRE_FRAMES(frames);
    const auto& y16 = frames[0];
    GuardedBuffer<int16_t> big(kPixels * 4, int16_t(0x5A5A));
    image_resize_dll(big.data(), y16.data(), kHeight, kWidth, 2);
    ASSERT_TRUE(big.canariesIntact());
    std::vector<int16_t> reference(kPixels * 4);
    resizeFrameReference(reference.data(), y16.data(), kHeight, kWidth, 2);
    EXPECT_EQ(big.contents(), reference);
    for (size_t y = 0; y < size_t(kHeight); ++y) {
        for (size_t x = 0; x < size_t(kWidth); ++x) {
            ASSERT_EQ(big[(2 * y) * 2 * kWidth + 2 * x], y16[y * kWidth + x]);
        }
    }
}

}  // namespace
}  // namespace kmm
