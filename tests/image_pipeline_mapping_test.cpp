// The four grey mapping modes: stated gains and grey values, the statistics they leave, the
// module-wide equalisation table, the mixed weight, and untouched bytes past the image.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "imagemap/pipeline/equalised_table.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "random.h"

namespace kmm {
namespace {

constexpr uint8_t kCanary = 0xA5;

// Output of n bytes followed by a canary that no mapping may touch.
struct Guarded {
    explicit Guarded(std::size_t n) : bytes(n + 1, kCanary) {}
    uint8_t* data() { return bytes.data(); }
    uint8_t operator[](std::size_t i) const { return bytes[i]; }
    bool guardIntact() const { return bytes.back() == kCanary; }
    std::vector<uint8_t> bytes;
};

TEST(ImagePipelineMapping, FixedWindowGainsAndGreys) {
    struct Row {
        bool narrow;
        int16_t high, low, value;
        uint8_t grey;
    };
    const Row rows[] = {
        {false, 999, 0, 0, 0},      // span 1000, gain 522
        {false, 999, 0, 500, 254},
        {false, 999, 0, 501, 255},  // above the window's middle: white
        {false, 999, 0, -40, 0},
        {false, 0, 0, 100, 50},     // span 1: divisor 1017, gain 513
        {true, 62, 0, 1, 4},        // narrow span 63: divisor 79, gain at the 4096 limit
        {true, 62, 0, 63, 252},
        {true, 62, 0, 64, 255},
        {false, 127, 0, 63, 251},   // span exactly the cap: gain 522240 / 128 = 4080
        {true, 1000, 0, 1000, 255},
        {false, 0, 100, 100, 0},    // inverted window: defined, flat
    };
    for (const Row& r : rows) {
        Guarded out(1);
        mapFixedWindow(out.data(), &r.value, 1, 1, r.high, r.low, r.narrow);
        EXPECT_EQ(out[0], r.grey) << r.narrow << " " << r.high << " " << r.low << " " << r.value;
        EXPECT_TRUE(out.guardIntact());
    }
}

TEST(ImagePipelineMapping, LinearMapsAUniformFrameToTheBrightness) {
    // low = high = v, span 1, divisor 1 + 4 x 127 = 509, gain 204800 / 509 = 402.
    for (int16_t v : {int16_t(0), int16_t(500), int16_t(-700), int16_t(32767), int16_t(-32768)}) {
        for (uint32_t brightness : {20u, 128u}) {
            ImagePipeline p(8, 4, 1.0f);
            const std::vector<int16_t> frame(32, v);
            Guarded out(32);
            p.mapLinear(out.data(), frame.data(), 8, 4, 10, brightness, 200, 128);
            EXPECT_EQ(p.linearGain, 402);
            EXPECT_EQ(p.lastSpan, 1);
            EXPECT_EQ(p.linearStats[5], 1u);
            EXPECT_EQ(p.linearCalls, 1u);
            for (int i = 0; i < 32; ++i) ASSERT_EQ(out[i], brightness) << v;
            EXPECT_TRUE(out.guardIntact());
        }
    }
}

TEST(ImagePipelineMapping, LinearStretchesThePercentileRange) {
    // 1000 pixels 0..999: the 1 % cut points are 9 and 990, span 982 above minimumSpan, so
    // the gain is 200 x 1024 / 982 = 208 and the mean 499 lands on 100.
    ImagePipeline p(1000, 1, 1.0f);
    std::vector<int16_t> frame(1000);
    for (int i = 0; i < 1000; ++i) frame[i] = int16_t(i);
    Guarded out(1000);
    p.mapLinear(out.data(), frame.data(), 1000, 1, 10, 100, 200, 128);
    EXPECT_EQ(p.lastLow, 9);
    EXPECT_EQ(p.lastHigh, 990);
    EXPECT_EQ(p.lastSpan, 982);
    EXPECT_EQ(p.linearGain, 208);
    EXPECT_EQ(p.linearMean, 499);
    EXPECT_EQ(out[499], 100);
    EXPECT_EQ(out[0], 0);  // offset -1 clamps to 0
    EXPECT_EQ(out[999], 201);
    EXPECT_TRUE(out.guardIntact());
}

TEST(ImagePipelineMapping, EqualisedPlateauIsQuarteredBelowSpan128) {
    // 100 pixels of 0 and 100 of gap: each bin holds 100, above the quartered plateau 50
    // and below the full plateau 200.
    struct Row {
        int16_t gap;
        uint32_t perBin;  // each bin after the plateau limit
        int32_t range;
    };
    const Row rows[] = {{10, 50, 11}, {126, 50, 127}, {127, 100, 128}, {400, 100, 230}};
    for (const Row& r : rows) {
        ImagePipeline p(200, 1, 1.0f);
        std::vector<int16_t> frame(200, 0);
        std::fill(frame.begin() + 100, frame.end(), r.gap);
        Guarded out(200);
        p.mapEqualised(out.data(), frame.data(), 200, 1, 200, 10, 230, 80);
        EXPECT_EQ(cumulativeTable[32767], 0u) << r.gap;
        EXPECT_EQ(cumulativeTable[32768], r.perBin) << r.gap;
        EXPECT_EQ(cumulativeTable[32768 + r.gap], 2 * r.perBin) << r.gap;
        EXPECT_EQ(cumulativeTable[65535], 2 * r.perBin) << r.gap;
        EXPECT_EQ(rangeValue, r.range) << r.gap;
        EXPECT_LT(out[0], out[199]);
        EXPECT_TRUE(out.guardIntact());
    }
}

TEST(ImagePipelineMapping, EqualisedCentresItsRangeOnTheBrightness) {
    // Two equal halves, span 200 < 255: shift 28; the lower half gets 100 x 200 / 201 = 99,
    // the upper 200 x 200 / 201 = 199, each - 128 + 28 + brightness.
    ImagePipeline p(200, 1, 1.0f);
    std::vector<int16_t> frame(200, -50);
    std::fill(frame.begin() + 100, frame.end(), int16_t(149));
    Guarded out(200);
    p.mapEqualised(out.data(), frame.data(), 200, 1, 200, 10, 230, 80);
    EXPECT_EQ(out[0], 79);
    EXPECT_EQ(out[199], 179);
}

TEST(ImagePipelineMapping, MixedWeightFollowsTheSpan) {
    struct Row {
        int32_t span;
        uint32_t preset;
        float weight;
    };
    const Row rows[] = {{-5, 0, 0.5f},  {20, 0, 0.5f},   {21, 0, 0.4f},   {100, 0, 0.4f},
                        {200, 0, 0.3f}, {101, 0, 0.498f}, {299, 0, 0.102f}, {300, 0, 0.1f},
                        {5000, 0, 0.1f}, {200, 1, 0.8f},   {5, 1, 0.8f},    {200, 2, 0.3f}};
    for (const Row& r : rows) {
        EXPECT_NEAR(mixedLinearWeight(r.span, r.preset), r.weight, 1e-6f)
            << r.span << " preset " << r.preset;
    }
}

TEST(ImagePipelineMapping, MixedBlendsEightTenthsLinearUnderThePreset) {
    // Uniform frame: linear gives the preset brightness 60; the equalised image is one full
    // bin, span 1: 50 x 1 / 51 = 0, shift 128: 0 - 128 + 128 + 60 = 60. The blend is 60.
    ImagePipeline p(10, 10, 1.0f);
    p.setMappingMode(2);
    p.setPresetTuning(1);
    const std::vector<int16_t> frame(100, 321);
    Guarded out(100);
    p.mapMixed(out.data(), frame.data(), 10, 10);
    EXPECT_EQ(p.lastEqualiseBrightness, 60u);
    EXPECT_EQ(rangeValue, 1);
    for (int i = 0; i < 100; ++i) ASSERT_EQ(out[i], 60);
    EXPECT_TRUE(out.guardIntact());
}

TEST(ImagePipelineMapping, MixedParameterSets) {
    // Uniform frame: the linear half lands on the chosen linear brightness and the equalised
    // half on the chosen equalised brightness; with w = 0.5 x 1.0 the blend is their mean.
    struct Row {
        uint32_t custom, preset;
        uint32_t equaliseBrightness;
        uint8_t grey;
    };
    const Row rows[] = {{0, 0, 100, 60},   // defaults: (100 + 20) / 2
                        {0, 1, 60, 60},    // preset: 60, fixed w 0.8
                        {1, 0, 80, 70},    // fields: (80 + 60) / 2
                        {1, 1, 80, 64}};   // fields, preset blend: 0.2 x 80 + 0.8 x 60
    for (const Row& r : rows) {
        ImagePipeline p(10, 10, 1.0f);
        p.setMappingMode(2);
        p.setCustomTuning(r.custom);
        p.setPresetTuning(r.preset);
        p.setLinearBrightness(60);
        const std::vector<int16_t> frame(100, -20);
        Guarded out(100);
        p.mapMixed(out.data(), frame.data(), 10, 10);
        EXPECT_EQ(p.lastEqualiseBrightness, r.equaliseBrightness);
        EXPECT_EQ(out[0], r.grey) << r.custom << r.preset;
    }
}

TEST(ImagePipelineMapping, MixedIsThePerPixelBlendOfItsTwoHalves) {
    // The mixed mapping blends per value; the reference blends the two images pixel by
    // pixel, as the mode is defined, from the public linear and equalised mappings.
    struct Tuning {
        uint32_t preset;
        uint32_t percentile, linearBrightness, linearContrast, maxRange, equaliseBrightness;
    };
    const Tuning tunings[] = {{1, 10, 60, 200, 180, 60}, {0, 10, 20, 300, 230, 100}};
    scenes::SplitMix64 rng(6);
    for (int32_t spread : {3, 40, 150, 400, 5000, 65535}) {
        const int32_t w = 37, h = 23, n = w * h;
        std::vector<int16_t> frame(n);
        const int32_t base = static_cast<int32_t>(rng.next() % 2000) - 1000;
        for (auto& v : frame) {
            v = static_cast<int16_t>(std::clamp<int64_t>(base + int64_t(rng.next() % spread),
                                                         INT16_MIN, INT16_MAX));
        }
        for (const Tuning& t : tunings) {
            ImagePipeline p(w, h, 1.0f);
            p.setMappingMode(2);
            p.setPresetTuning(t.preset);
            Guarded out(n);
            p.mapMixed(out.data(), frame.data(), w, h);

            ImagePipeline ref(w, h, 1.0f);
            std::vector<uint8_t> linear(n), equalised(n);
            ref.mapLinear(linear.data(), frame.data(), w, h, t.percentile, t.linearBrightness,
                          t.linearContrast, 128);
            ref.mapEqualised(equalised.data(), frame.data(), w, h, 200, t.percentile,
                             t.maxRange, t.equaliseBrightness);
            const float weight = mixedLinearWeight(ref.lastSpan, t.preset);
            for (int32_t i = 0; i < n; ++i) {
                const float blend = float(equalised[i]) * (1.0f - weight) + float(linear[i]) * weight;
                ASSERT_EQ(out[i], static_cast<uint8_t>(std::min(blend, 255.0f)))
                    << "spread " << spread << " preset " << t.preset << " at " << i;
            }
            EXPECT_TRUE(out.guardIntact());
            EXPECT_EQ(p.linearGain, ref.linearGain);
            EXPECT_EQ(p.lastSpan, ref.lastSpan);
        }
    }
}

TEST(ImagePipelineMapping, ModeAbove3LeavesTheOutputUntouched) {
    ImagePipeline p(4, 4, 1.0f);
    p.mappingMode = 4;
    const std::vector<int16_t> frame(16, 100);
    Guarded out(16);
    p.mapByMode(out.data(), frame.data(), 4, 4);
    EXPECT_EQ(out.bytes, std::vector<uint8_t>(17, kCanary));
}

TEST(ImagePipelineMapping, EveryModeWritesExactlyTheFrame) {
    for (uint32_t mode : {0u, 1u, 2u, 3u}) {
        ImagePipeline p(7, 3, 1.0f);
        p.setMappingMode(mode);
        p.setRangeHigh(50);
        std::vector<int16_t> frame(21);
        for (int i = 0; i < 21; ++i) frame[i] = int16_t(i * 5 - 30);
        Guarded out(21);
        p.mapByMode(out.data(), frame.data(), 7, 3);
        EXPECT_TRUE(out.guardIntact()) << mode;
        for (int i = 1; i < 21; ++i) EXPECT_LE(out[i - 1], out[i]) << mode << " at " << i;
    }
}

}  // namespace
}  // namespace kmm
