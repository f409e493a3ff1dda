// Y16Mapping_dll: the manual window, the dispatch to the two AGC paths, uniform and tiny
// frames, and the detail layer and sharpening steps on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "random.h"
#include "y16map/detail_layer.h"
#include "y16map/plateau_agc.h"
#include "y16map/sharpen_grey.h"

namespace kmm {
namespace {

constexpr uint8_t kSentinel = 0xA5;

std::vector<uint8_t> mapWindow(const std::vector<int16_t>& frame, int16_t low, int16_t high,
                               const char* model = "XY99") {
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16Mapping_dll(model, frame.data(), dst.data(), int32_t(frame.size()), 1, &high, &low, false);
    EXPECT_TRUE(dst.canariesIntact());
    return dst.contents();
}

TEST(Y16Mapping, ManualWindowExamples) {
    struct Row {
        const char* what;
        int16_t low, high, value;
        uint8_t grey;
    };
    const Row rows[] = {
        {"top of a 512 window", 0, 512, 512, 255},
        {"top of a 1000 window stays below white", 0, 1000, 1000, 253},
        {"middle of a 1000 window", 0, 1000, 500, 126},
        {"below the window", 0, 1000, -1, 0},
        {"above the window", 0, 1000, 1001, 255},
        {"negative window", -3000, -1000, -2000, 126},
        {"widest window: scale 1", -32768, 32767, 32767, 127},
        {"equal ends, below", 100, 100, 99, 0},
        {"equal ends, at", 100, 100, 100, 255},
        {"equal ends, above", 100, 100, 30000, 255},
        {"reversed window", 100, 99, 32767, 0},
        {"reversed window, low value", 100, 99, -32768, 0},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(mapWindow({r.value}, r.low, r.high)[0], r.grey) << r.what;
    }
}

TEST(Y16Mapping, ManualWindowIgnoresTheModelAndRisesWithY16) {
    std::vector<int16_t> ramp;
    for (int v = -2000; v <= 3000; v += 7) ramp.push_back(int16_t(v));
    const auto grey = mapWindow(ramp, -1000, 2000, "DV17");
    EXPECT_EQ(grey, mapWindow(ramp, -1000, 2000, nullptr));
    EXPECT_TRUE(std::is_sorted(grey.begin(), grey.end()));
    EXPECT_EQ(grey.front(), 0);
    EXPECT_EQ(grey.back(), 255);
}

std::vector<uint8_t> mapAuto(const char* model, const std::vector<int16_t>& frame, int32_t width,
                             int32_t height, uint8_t sentinel = kSentinel) {
    GuardedBuffer<uint8_t> dst(frame.size(), sentinel);
    Y16Mapping_dll(model, frame.data(), dst.data(), width, height, nullptr, nullptr, true);
    EXPECT_TRUE(dst.canariesIntact()) << model;
    return dst.contents();
}

const char* const kAgcModels[] = {"DV13", "DV13-W", "DV14", "DV15-W", "DV16", "DV16-W",
                                  "DV17", "DV17-W", "DV18", "DV18-W"};

// R = 1, weight 1024, zero detail: every byte is the brightness, through the sharpening too.
// Frames narrower or shorter than 3 have no detail layer and behave the same.
TEST(Y16Mapping, UniformFramesGiveBrightnessOnBothAgcPaths) {
    struct Size {
        int32_t width, height;
    };
    const Size sizes[] = {{64, 48}, {400, 300}, {3, 3}, {1, 1}, {2, 2}, {1, 9}, {9, 2}, {2, 50}};
    for (const char* model : kAgcModels) {
        for (const Size s : sizes) {
            for (const int16_t v : {int16_t(0), int16_t(1000), int16_t(32767)}) {
                const std::vector<int16_t> frame(size_t(s.width * s.height), v);
                const auto grey = mapAuto(model, frame, s.width, s.height);
                ASSERT_EQ(grey, std::vector<uint8_t>(frame.size(), 100))
                    << model << " " << s.width << "x" << s.height << " v=" << v;
            }
        }
    }
}

TEST(Y16Mapping, NamesOutsideTheAgcListsLeaveTheImageUntouched) {
    scenes::SplitMix64 rng(7);
    std::vector<int16_t> frame(32 * 24);
    for (auto& v : frame) v = int16_t(rng.next());
    for (const char* model : {"DV19", "DV12", "dv13", "DV13 ", "DV17S", "DV1", ""}) {
        EXPECT_EQ(mapAuto(model, frame, 32, 24), std::vector<uint8_t>(frame.size(), kSentinel))
            << '"' << model << '"';
    }
    EXPECT_EQ(mapAuto(nullptr, frame, 32, 24), std::vector<uint8_t>(frame.size(), kSentinel));
}

TEST(Y16Mapping, BadArgumentsWriteNothing) {
    const std::vector<int16_t> frame(12, 500);
    const int16_t high = 1000, low = 0;
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16Mapping_dll("DV17", frame.data(), dst.data(), 0, 12, nullptr, nullptr, true);
    Y16Mapping_dll("DV13", frame.data(), dst.data(), 12, -1, nullptr, nullptr, true);
    Y16Mapping_dll("DV13", nullptr, dst.data(), 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll("DV13", frame.data(), nullptr, 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll("DV13", frame.data(), dst.data(), 12, 1, nullptr, &low, false);
    Y16Mapping_dll("DV13", frame.data(), dst.data(), 12, 1, &high, nullptr, false);
    Y16Mapping_dll("DV13", frame.data(), dst.data(), -3, -4, &high, &low, false);
    EXPECT_EQ(dst.contents(), std::vector<uint8_t>(frame.size(), kSentinel));
    EXPECT_TRUE(dst.canariesIntact());
}

// Random frames of every small shape, values across the whole 16-bit range (the half-
// resolution tables included below -16384): nothing is read or written outside the buffers.
TEST(Y16Mapping, AgcStaysInsideTheBuffersOnAnyFrame) {
    scenes::SplitMix64 rng(11);
    for (int32_t height = 1; height <= 5; ++height) {
        for (int32_t width = 1; width <= 5; ++width) {
            std::vector<int16_t> frame(size_t(width * height));
            for (auto& v : frame) v = int16_t(rng.next());
            for (const char* model : {"DV14", "DV18"}) {
                // Two different fillings come back equal: every byte was written.
                EXPECT_EQ(mapAuto(model, frame, width, height, 0x00),
                          mapAuto(model, frame, width, height, 0xFF))
                    << model << " " << width << "x" << height;
            }
        }
    }
}

// A worked 4 x 4 example: every border and corner kernel once, the interior clamped.
TEST(Y16DetailLayer, EveryRegionOfAWorkedExample) {
    const std::vector<int16_t> frame = {10, 250, 30,   400, 90, 1000, 170, 20,
                                        60, 500, 3000, 120, 5,  80,   700, 40};
    const std::vector<int16_t> expected = {-198, 42,  -286, 84,   -106, 20,   -20, -500,
                                           -166, -20, 20,   -403, -548, -473, 48,  -612};
    GuardedBuffer<int16_t> detail(16, int16_t(0x5555));
    computeDetailLayer(detail.data(), frame.data(), 4, 4);
    EXPECT_EQ(detail.contents(), expected);
    EXPECT_TRUE(detail.canariesIntact());
}

TEST(Y16DetailLayer, BordersKeepTheLow16BitsAndTheInteriorIsClamped) {
    // Corner -32768 beside 32767s: -32768 - (131067 >> 3) = -49151, kept as 16385.
    std::vector<int16_t> frame(9, 32767);
    frame[0] = -32768;
    std::vector<int16_t> detail(9);
    computeDetailLayer(detail.data(), frame.data(), 3, 3);
    EXPECT_EQ(detail[0], 16385);

    // A checkerboard of extremes: the interior never leaves -20..20, the border does.
    const int32_t w = 17, h = 13;
    std::vector<int16_t> board(size_t(w * h));
    for (int32_t i = 0; i < w * h; ++i) board[size_t(i)] = ((i % w + i / w) % 2) ? 30000 : -30000;
    std::vector<int16_t> layer(board.size());
    computeDetailLayer(layer.data(), board.data(), w, h);
    int32_t largestBorder = 0;
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t d = layer[size_t(y * w + x)];
            const bool interior = x > 0 && y > 0 && x < w - 1 && y < h - 1;
            if (interior) {
                ASSERT_LE(std::abs(d), 20) << x << "," << y;
            } else {
                largestBorder = std::max(largestBorder, std::abs(d));
            }
        }
    }
    EXPECT_GT(largestBorder, 20);
}

TEST(Y16DetailLayer, RowLoopsMatchTheKernelTable) {
    scenes::SplitMix64 rng(3);
    for (const auto& [w, h] : {std::pair{3, 3}, {4, 7}, {37, 5}, {64, 48}}) {
        std::vector<int16_t> frame(size_t(w * h));
        for (auto& v : frame) v = int16_t(rng.next() % 4 == 0 ? rng.next() : 1000 + rng.next() % 64);
        std::vector<int16_t> layer(frame.size());
        computeDetailLayer(layer.data(), frame.data(), w, h);
        for (int32_t y = 0; y < h; ++y) {
            for (int32_t x = 0; x < w; ++x) {
                ASSERT_EQ(layer[size_t(y * w + x)], detailAt(frame.data(), w, h, x, y))
                    << w << "x" << h << " at " << x << "," << y;
            }
        }
    }
}

// The detail moves an interior table value by at most twice its clamp.
TEST(Y16DetailLayer, InteriorDetailMovesTheAgcByAtMost40) {
    const int32_t w = 48, h = 40;
    std::vector<int16_t> frame(size_t(w * h));
    for (int32_t i = 0; i < w * h; ++i) frame[size_t(i)] = int16_t(((i % w) / 6 + (i / w) / 5) % 2 ? 9000 : 2000);
    std::vector<int16_t> detail(frame.size()), none(frame.size(), 0);
    computeDetailLayer(detail.data(), frame.data(), w, h);
    for (AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
        std::vector<uint8_t> with(frame.size()), without(frame.size());
        auto tables = std::make_unique_for_overwrite<AgcTables>();
        mapPlateauAgc(*agcParams(variant), with.data(), frame.data(), w, h, detail.data(), *tables);
        mapPlateauAgc(*agcParams(variant), without.data(), frame.data(), w, h, none.data(), *tables);
        int32_t largest = 0;
        for (int32_t y = 1; y < h - 1; ++y) {
            for (int32_t x = 1; x < w - 1; ++x) {
                const size_t i = size_t(y * w + x);
                largest = std::max(largest, std::abs(with[i] - without[i]));
            }
        }
        EXPECT_LE(largest, 40);
        EXPECT_GT(largest, 0);
    }
}

// The blocked two-pass look-up against the one-pixel-at-a-time form, with detail values
// big enough to wrap the 16-bit sum and to go below the halved index range.
TEST(Y16Agc, BlockedTableStepMatchesTheReference) {
    scenes::SplitMix64 rng(21);
    std::vector<uint8_t> lut(65536), scratch(65536);
    for (auto& g : lut) g = uint8_t(rng.next());
    for (const int64_t count : {int64_t(1), int64_t(4095), int64_t(4097), int64_t(20000)}) {
        std::vector<int16_t> src(static_cast<size_t>(count)), detail(static_cast<size_t>(count));
        for (int64_t i = 0; i < count; ++i) {
            src[size_t(i)] = int16_t(rng.next());
            detail[size_t(i)] = int16_t(i % 3 == 0 ? rng.next() : rng.next() % 41 - 20);
        }
        for (AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
            std::vector<uint8_t> fast(static_cast<size_t>(count)), reference(static_cast<size_t>(count));
            const auto [lo, hi] = std::minmax_element(src.begin(), src.end());
            applyAgcTable(*agcParams(variant), fast.data(), src.data(), detail.data(), count,
                          lut.data(), *lo, *hi, scratch.data());
            applyAgcTableReference(*agcParams(variant), reference.data(), src.data(), detail.data(),
                                   count, lut.data());
            ASSERT_EQ(fast, reference) << count;
        }
    }
}

// The fixed-point design keeps the terms and the full-resolution detail sum in 16 bits: a
// far outlier or a huge border detail wraps to black where a wider sum would give white.
TEST(Y16Agc, SixteenBitTermsAndSumsWrap) {
    // Values -32000..-31991 and one pixel at 32767, beyond the 0.5 % end: R = 10, gain 541,
    // linear base 100 + 16906; the outlier's linear term 17311 + 17006 wraps to -31219.
    std::vector<int16_t> frame(10000);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = int16_t(-32000 + int(i % 10));
    frame[5000] = 32767;
    const std::vector<int16_t> none(frame.size(), 0);
    auto tables = std::make_unique_for_overwrite<AgcTables>();
    std::vector<uint8_t> grey(frame.size());
    const AgcParams& full = *agcParams(AgcVariant::FullResolutionSharpened);
    mapPlateauAgc(full, grey.data(), frame.data(), 100, 100, none.data(), *tables);
    EXPECT_EQ(grey[5000], 0);
    AgcParams saturated = full;
    saturated.equalisation.termOverflow = TermOverflow::Saturate;
    mapPlateauAgc(saturated, grey.data(), frame.data(), 100, 100, none.data(), *tables);
    EXPECT_EQ(grey[5000], 255);

    // Table value 100 plus twice a border detail of 16385: 32870 is -32666 in 16 bits.
    const std::vector<uint8_t> lut(65536, 100);
    std::vector<uint8_t> scratch(65536), out(1);
    const int16_t value = 0, detail = 16385;
    applyAgcTable(full, out.data(), &value, &detail, 1, lut.data(), 0, 0, scratch.data());
    EXPECT_EQ(out[0], 0);
    applyAgcTable(*agcParams(AgcVariant::HalfResolution), out.data(), &value, &detail, 1,
                  lut.data(), 0, 0, scratch.data());
    EXPECT_EQ(out[0], 255);
}

TEST(Y16Sharpen, UnsharpMaskOnAPointAndTheBorders) {
    // A bright point on grey 100: 2 * 200 - 100 at the point, 2 * 100 - (900 >> 3) beside it.
    std::vector<uint8_t> grey(25, 100);
    grey[12] = 200;
    GuardedBuffer<uint8_t> out(25, kSentinel);
    sharpenGrey(out.data(), grey.data(), 5, 5, 1.0f);
    EXPECT_EQ(out[12], 255);
    EXPECT_EQ(out[7], 88);
    EXPECT_EQ(out[6], 88);
    EXPECT_EQ(out[0], 100);
    EXPECT_TRUE(out.canariesIntact());

    // Rows are copied when the image is two rows high or two columns wide.
    std::vector<uint8_t> strip = {0, 255, 0, 255, 0, 255, 7, 9, 11, 13, 17, 19};
    for (const auto& [w, h] : {std::pair{6, 2}, {2, 6}, {12, 1}}) {
        GuardedBuffer<uint8_t> copy(strip.size(), kSentinel);
        sharpenGrey(copy.data(), strip.data(), w, h, 1.0f);
        EXPECT_EQ(copy.contents(), strip) << w << "x" << h;
        EXPECT_TRUE(copy.canariesIntact());
    }
}

}  // namespace
}  // namespace kmm
