// Y16Mapping_dll: the manual window, the dispatch to the two AGC paths, uniform and tiny
// frames, and the detail layer and sharpening steps on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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
const char* const kHalf = "DV13";    // one name per AGC variant; the registry test has the rest
const char* const kFull = "DV18-W";

std::vector<uint8_t> mapWindow(const std::vector<int16_t>& frame, int16_t low, int16_t high,
                               const char* model = "XY99") {
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16Mapping_dll(model, frame.data(), dst.data(), int32_t(frame.size()), 1, &high, &low, false);
    EXPECT_TRUE(dst.canariesIntact());
    return dst.contents();
}

std::vector<uint8_t> mapAuto(const char* model, const std::vector<int16_t>& frame, int32_t width,
                             int32_t height, uint8_t fill = kSentinel) {
    GuardedBuffer<uint8_t> dst(frame.size(), fill);
    Y16Mapping_dll(model, frame.data(), dst.data(), width, height, nullptr, nullptr, true);
    EXPECT_TRUE(dst.canariesIntact()) << (model ? model : "null");
    return dst.contents();
}

TEST(Y16Mapping, ManualWindowExamples) {
    const struct { const char* what; int16_t low, high, value; uint8_t grey; } rows[] = {
        {"top of a 512 window", 0, 512, 512, 255},
        {"top of a 1000 window stays below white", 0, 1000, 1000, 253},
        {"middle of a 1000 window", 0, 1000, 500, 126},
        {"below the window", 0, 1000, -1, 0},            {"above the window", 0, 1000, 1001, 255},
        {"negative window", -3000, -1000, -2000, 126},   {"widest window: scale 1", -32768, 32767, 32767, 127},
        {"equal ends, below", 100, 100, 99, 0},          {"equal ends, at", 100, 100, 100, 255},
        {"reversed window", 100, 99, 32767, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(mapWindow({r.value}, r.low, r.high)[0], r.grey) << r.what;

    // Any model name (or none) takes the window; the grey rises with Y16.
    std::vector<int16_t> ramp;
    for (int v = -2000; v <= 3000; v += 7) ramp.push_back(int16_t(v));
    const auto grey = mapWindow(ramp, -1000, 2000, kFull);
    EXPECT_EQ(grey, mapWindow(ramp, -1000, 2000, nullptr));
    EXPECT_TRUE(std::is_sorted(grey.begin(), grey.end()));
}

// Uniform frames: R = 1, weight 1024, zero detail, so every byte is the brightness, through
// the sharpening too (frames narrower or shorter than 3 have no detail layer and behave the
// same). Random frames over the whole 16-bit range (the half-resolution tables included
// below -16384): two different fillings come back equal, so every byte was written.
TEST(Y16Mapping, AgcOnUniformAndRandomFramesOfEveryShape) {
    scenes::SplitMix64 rng(11);
    for (const char* model : {kHalf, kFull}) {
        for (const auto& [w, h] : {std::pair{64, 48}, {3, 3}, {1, 1}, {9, 2}, {2, 50}, {1, 4}, {4, 3}, {3, 1}}) {
            for (const int16_t v : {int16_t(0), int16_t(1000), int16_t(32767)}) {
                const std::vector<int16_t> frame(size_t(w * h), v);
                ASSERT_EQ(mapAuto(model, frame, w, h), std::vector<uint8_t>(frame.size(), 100))
                    << model << " " << w << "x" << h << " v=" << v;
            }
            std::vector<int16_t> frame(size_t(w * h));
            for (auto& v : frame) v = int16_t(rng.next());
            EXPECT_EQ(mapAuto(model, frame, w, h, 0x00), mapAuto(model, frame, w, h, 0xFF))
                << model << " " << w << "x" << h;
        }
    }
}

TEST(Y16Mapping, UnknownNamesAndBadArgumentsLeaveTheImageUntouched) {
    scenes::SplitMix64 rng(7);
    std::vector<int16_t> frame(32 * 24);
    for (auto& v : frame) v = int16_t(rng.next());
    for (const char* model : {"DV19", "DV12", "dv13", "DV13 ", "DV17S", "", (const char*)nullptr}) {
        EXPECT_EQ(mapAuto(model, frame, 32, 24), std::vector<uint8_t>(frame.size(), kSentinel))
            << '"' << (model ? model : "null") << '"';
    }
    const int16_t high = 1000, low = 0;
    GuardedBuffer<uint8_t> dst(12, kSentinel);
    Y16Mapping_dll(kFull, frame.data(), dst.data(), 0, 12, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, -1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, nullptr, dst.data(), 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), nullptr, 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, 1, nullptr, &low, false);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, 1, &high, nullptr, false);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), -3, -4, &high, &low, false);
    EXPECT_EQ(dst.contents(), std::vector<uint8_t>(12, kSentinel));
    EXPECT_TRUE(dst.canariesIntact());
}

// A worked 4 x 4 example: every border and corner kernel once, the interior clamped to
// -20..20; a border keeps only the low 16 bits.
TEST(Y16DetailLayer, WorkedExampleAndBorderWrap) {
    const std::vector<int16_t> frame = {10, 250, 30,   400, 90, 1000, 170, 20,
                                        60, 500, 3000, 120, 5,  80,   700, 40};
    const std::vector<int16_t> expected = {-198, 42,  -286, 84,   -106, 20,   -20, -500,
                                           -166, -20, 20,   -403, -548, -473, 48,  -612};
    GuardedBuffer<int16_t> detail(16, int16_t(0x5555));
    computeDetailLayer(detail.data(), frame.data(), 4, 4);
    EXPECT_EQ(detail.contents(), expected);
    EXPECT_TRUE(detail.canariesIntact());

    // Corner -32768 beside 32767s: -32768 - (131067 >> 3) = -49151, kept as 16385.
    std::vector<int16_t> extremes(9, 32767), layer(9);
    extremes[0] = -32768;
    computeDetailLayer(layer.data(), extremes.data(), 3, 3);
    EXPECT_EQ(layer[0], 16385);
}

TEST(Y16DetailLayer, RowLoopsMatchTheKernelTable) {
    scenes::SplitMix64 rng(3);
    for (const auto& [w, h] : {std::pair{3, 3}, {37, 5}}) {
        std::vector<int16_t> frame(size_t(w * h)), layer(size_t(w * h));
        for (auto& v : frame) v = int16_t(rng.next() % 4 == 0 ? rng.next() : 1000 + rng.next() % 64);
        computeDetailLayer(layer.data(), frame.data(), w, h);
        for (int32_t i = 0; i < w * h; ++i) {
            ASSERT_EQ(layer[size_t(i)], detailAt(frame.data(), w, h, i % w, i / w)) << w << "x" << h << " " << i;
        }
    }
}

// The blocked two-pass look-up against the one-pixel-at-a-time form, with detail values
// big enough to wrap the 16-bit sum and to go below the halved index range.
TEST(Y16Agc, BlockedTableStepMatchesTheReference) {
    scenes::SplitMix64 rng(21);
    std::vector<uint8_t> lut(65536), scratch(65536);
    for (auto& g : lut) g = uint8_t(rng.next());
    for (const size_t count : {size_t(1), size_t(4097), size_t(20000)}) {
        std::vector<int16_t> src(count), detail(count);
        for (size_t i = 0; i < count; ++i) {
            src[i] = int16_t(rng.next());
            detail[i] = int16_t(i % 3 == 0 ? rng.next() : rng.next() % 41 - 20);
        }
        const auto [lo, hi] = std::minmax_element(src.begin(), src.end());
        for (AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
            std::vector<uint8_t> fast(count), reference(count);
            applyAgcTable(*agcParams(variant), fast.data(), src.data(), detail.data(), int64_t(count),
                          lut.data(), *lo, *hi, scratch.data());
            applyAgcTableReference(*agcParams(variant), reference.data(), src.data(), detail.data(),
                                   int64_t(count), lut.data());
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

TEST(Y16Sharpen, UnsharpMaskOnAPointAndStripsCopied) {
    // A bright point on grey 100: 2 * 200 - 100 at the point, 2 * 100 - (900 >> 3) beside it.
    std::vector<uint8_t> grey(25, 100);
    grey[12] = 200;
    GuardedBuffer<uint8_t> out(25, kSentinel);
    sharpenGrey(out.data(), grey.data(), 5, 5, 1.0f);
    EXPECT_EQ((std::vector<int>{out[12], out[7], out[6], out[0]}), (std::vector<int>{255, 88, 88, 100}));
    EXPECT_TRUE(out.canariesIntact());

    // Rows are copied when the image is two rows high or two columns wide.
    const std::vector<uint8_t> strip = {0, 255, 0, 255, 0, 255, 7, 9, 11, 13, 17, 19};
    for (const auto& [w, h] : {std::pair{6, 2}, {2, 6}, {12, 1}}) {
        GuardedBuffer<uint8_t> copy(strip.size(), kSentinel);
        sharpenGrey(copy.data(), strip.data(), w, h, 1.0f);
        EXPECT_EQ(copy.contents(), strip) << w << "x" << h;
        EXPECT_TRUE(copy.canariesIntact());
    }
}

}  // namespace
}  // namespace kmm
