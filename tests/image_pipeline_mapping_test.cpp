// The four grey mapping modes: gains and greys, the equalisation running sums, the
// mixed weight and blend.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <tuple>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "random.h"

namespace kmm {
namespace {

// The working tables of one mapping call (too large for the stack).
MappingTables& tables() {
    static thread_local auto t = std::make_unique<MappingTables>();
    return *t;
}

TEST(ImagePipelineMapping, FixedWindowGainsAndGreys) {
    // {narrow, high, low, value, grey}
    for (auto [narrow, high, low, value, grey] : {
             std::tuple<bool, int16_t, int16_t, int16_t, uint8_t>{false, 999, 0, 0, 0},
             {false, 999, 0, 500, 254}, {false, 999, 0, 501, 255},  // span 1000, gain 522
             {false, 999, 0, -40, 0},   {false, 0, 0, 100, 50},     // span 1: gain 513
             {true, 62, 0, 1, 4},       {true, 62, 0, 63, 252},     // narrow span 63
             {true, 62, 0, 64, 255},    {false, 127, 0, 63, 251},   // span at the cap: 4080
             {true, 49, 0, 40, 74},     {false, 99, 0, 50, 78},     // 522240 / (50 + 16 x 14), / (100 + 8 x 28)
             {false, -2001, -3000, -2800, 102},  // -2800 x 522 / 1024 + 3000 x 522 / 1024
             {false, 366, 0, 180, 249},          // span 367: gain 522240 / 367 = 1422.99, truncated
             {false, 0, 100, 100, 0}}) {                            // inverted: flat
        GuardedBuffer<uint8_t> out(1);
        mapFixedWindow(out.data(), &value, 1, 1, high, low, narrow);
        EXPECT_EQ(out[0], grey) << narrow << " " << high << " " << low << " " << value;
    }
}

TEST(ImagePipelineMapping, LinearGainForUniformAndRampFrames) {
    // Uniform: span 1, divisor 1 + 4 x 127 = 509, gain 500 x 1024 / 509 = 1005, all at brightness.
    for (int16_t v : {int16_t(500), int16_t(32767), int16_t(-32768)}) {
        ImagePipeline p(8, 4, 1.0f);
        const std::vector<int16_t> frame(32, v);
        GuardedBuffer<uint8_t> out(32);
        p.mapLinear(out.data(), frame.data(), 8, 4, 10, 20, 500, 128, tables());
        EXPECT_EQ(p.linearGain, 1005) << v;
        const auto u = uint16_t(v);  // the extreme and cut points all at the one value
        EXPECT_EQ(p.linearStats, (std::array<uint16_t, 6>{u, u, u, u, u, 1})) << v;
        EXPECT_EQ(out.contents(), std::vector<uint8_t>(32, 20)) << v;
    }
    // Ramp 0..999: 1 % cut points 9 and 990, span 982, gain 208, the mean 499 lands on 100.
    ImagePipeline p(1000, 1, 1.0f);
    std::vector<int16_t> frame(1000);
    for (int i = 0; i < 1000; ++i) frame[i] = int16_t(i);
    GuardedBuffer<uint8_t> out(1000);
    p.mapLinear(out.data(), frame.data(), 1000, 1, 10, 100, 200, 128, tables());
    EXPECT_EQ(p.linearStats, (std::array<uint16_t, 6>{999, 0, 990, 9, 499, 982}));
    EXPECT_EQ(p.linearGain, 208);
    EXPECT_EQ(std::tuple(out[0], out[499], out[999]), std::tuple(0, 100, 201));  // 0: clamped
    // 70,000 pixels of 0 count as 65,535, under the cut at 50 % of 131,072: the low cut is 400.
    std::vector<int16_t> heavy(131072, 400);
    std::fill_n(heavy.begin(), 70000, int16_t(0));
    std::vector<uint8_t> heavyOut(heavy.size());
    p.mapLinear(heavyOut.data(), heavy.data(), 256, 512, 500, 100, 200, 128, tables());
    EXPECT_EQ(p.linearStats[3], 400);
    // 200,000 pixels: the extreme points lie two pixels in, past a lone coldest and hottest one.
    std::vector<int16_t> many(200000, 500);
    std::copy_n(std::array<int16_t, 6>{100, 200, 200, 900, 800, 800}.begin(), 6, many.begin());
    std::vector<uint8_t> manyOut(many.size());
    p.mapLinear(manyOut.data(), many.data(), 400, 500, 10, 100, 200, 128, tables());
    EXPECT_EQ(p.linearStats[0], 800);
    EXPECT_EQ(p.linearStats[1], 200);
    // The largest contrast on a span of 200: 1024 x 1024 / 200 stops at four times unity.
    p.mapLinear(out.data(), frame.data(), 200, 1, 10, 100, 1024, 128, tables());
    EXPECT_EQ(p.linearGain, 4096);
}

TEST(ImagePipelineMapping, EqualisedPlateauIsQuarteredBelowSpan128) {
    // Rows of 200, half 0 and half gap: with one row each bin holds 100, above the quartered
    // plateau 50; with 700 rows each holds 70,000, which the 16-bit counters stop at 65,535.
    for (auto [gap, rows, plateau, perBin, range] : {std::tuple<int16_t, int32_t, uint32_t, uint32_t, int32_t>{
             10, 1, 200, 50, 11}, {126, 1, 200, 50, 127}, {127, 1, 200, 100, 128},
             {400, 1, 200, 100, 230}, {400, 700, 1000000, 65535, 230}}) {
        ImagePipeline p(200, rows, 1.0f);
        std::vector<int16_t> frame(size_t(200 * rows), 0);
        for (size_t i = 0; i < frame.size(); ++i) frame[i] = i % 200 < 100 ? 0 : gap;
        GuardedBuffer<uint8_t> out(frame.size());
        p.mapEqualised(out.data(), frame.data(), 200, rows, plateau, 10, 230, 80, tables());
        EXPECT_EQ(tables().cumulative[32768], perBin) << gap;
        EXPECT_EQ(tables().cumulative[32768 + gap], 2 * perBin) << gap;
        EXPECT_EQ(p.equalisedRange, range) << gap;
    }
    // Two halves: the cumulative counts 100 and 200 of 201 spread over the range, shifted so
    // that it centres on 80: span 200, shift 28: 99 and 199, each - 128 + 28 + 80; range 255
    // (the largest), shift 0: 126 and 253, each - 128 + 80.
    for (auto [high, maxRange, dark, bright] : {std::tuple<int16_t, uint32_t, uint8_t, uint8_t>{
             149, 230, 79, 179}, {350, 255, 78, 205}}) {
        ImagePipeline p(200, 1, 1.0f);
        std::vector<int16_t> frame(200, -50);
        std::fill(frame.begin() + 100, frame.end(), high);
        std::vector<uint8_t> out(200);
        p.mapEqualised(out.data(), frame.data(), 200, 1, 200, 10, maxRange, 80, tables());
        EXPECT_EQ(std::pair(out[0], out[199]), std::pair(dark, bright)) << maxRange;
    }
}

TEST(ImagePipelineMapping, MixedWeightFollowsTheSpan) {
    for (auto [span, preset, weight] : {std::tuple<int32_t, uint32_t, float>{-5, 0, 0.5f},
             {20, 0, 0.5f}, {21, 0, 0.4f}, {200, 0, 0.3f}, {101, 0, 0.498f}, {299, 0, 0.102f},
             {5000, 0, 0.1f}, {5, 1, 0.8f}, {200, 2, 0.3f}})
        EXPECT_NEAR(mixedLinearWeight(span, preset), weight, 1e-6f) << span << " " << preset;
}

TEST(ImagePipelineMapping, MixedParameterSetsOnAUniformFrame) {
    // Each half lands on its own brightness; w = 0.5 without the preset, a fixed 0.8 with it:
    // defaults (100 + 20) / 2; preset both at 60; fields (80 + 60) / 2; 0.2 x 80 + 0.8 x 60.
    for (auto [custom, preset, eqBrightness, grey] : {std::tuple<uint32_t, uint32_t, uint32_t, uint8_t>{
             0, 0, 100, 60}, {0, 1, 60, 60}, {1, 0, 80, 70}, {1, 1, 80, 64}}) {
        ImagePipeline p(10, 10, 1.0f);
        p.setMappingMode(2), p.setCustomTuning(custom), p.setPresetTuning(preset);
        p.setLinearBrightness(60);
        const std::vector<int16_t> frame(100, -20);
        GuardedBuffer<uint8_t> out(100);
        p.mapMixed(out.data(), frame.data(), 10, 10, tables());
        EXPECT_EQ(p.lastEqualiseBrightness, eqBrightness);
        EXPECT_EQ(out.contents(), std::vector<uint8_t>(100, grey)) << custom << preset;
    }
}

TEST(ImagePipelineMapping, MixedIsThePerPixelBlendOfItsTwoHalves) {
    // The reference blends the public linear and equalised images pixel by pixel.
    struct Tuning { uint32_t preset, percentile, linearBrightness, linearContrast, maxRange, eqBrightness; };
    scenes::SplitMix64 rng(6);
    for (int32_t spread : {3, 150, 5000, 65535}) {
        const int32_t w = 41, h = 29, n = w * h;
        std::vector<int16_t> frame(n);
        const int32_t base = static_cast<int32_t>(rng.next() % 2000) - 1000;
        for (auto& v : frame)
            v = int16_t(std::clamp<int64_t>(base + int64_t(rng.next() % spread), INT16_MIN, INT16_MAX));
        for (int32_t i = 0; i < 12 && spread != 150; ++i) frame[size_t(i * 97)] = 30000;  // a 1 % cut stops among these
        for (const Tuning& t : {Tuning{1, 10, 60, 200, 180, 60}, {0, 10, 20, 300, 230, 100}}) {
            ImagePipeline p(w, h, 1.0f), ref(w, h, 1.0f);
            p.setMappingMode(2), p.setPresetTuning(t.preset);
            GuardedBuffer<uint8_t> out(n);
            p.mapMixed(out.data(), frame.data(), w, h, tables());
            std::vector<uint8_t> linear(n), equalised(n);
            ref.mapLinear(linear.data(), frame.data(), w, h, t.percentile, t.linearBrightness,
                          t.linearContrast, 128, tables());
            ref.mapEqualised(equalised.data(), frame.data(), w, h, 200, t.percentile,
                             t.maxRange, t.eqBrightness, tables());
            const float weight = mixedLinearWeight(ref.lastSpan, t.preset);
            for (int32_t i = 0; i < n; ++i) {
                const float blend = float(equalised[i]) * (1.0f - weight) + float(linear[i]) * weight;
                ASSERT_EQ(out[i], uint8_t(std::min(blend, 255.0f))) << spread << " " << t.preset << " " << i;
            }
        }
    }
}

}  // namespace
}  // namespace kmm
