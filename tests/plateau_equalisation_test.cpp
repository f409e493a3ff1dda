// The shared plateau equalisation with the tunings the library runs: the linear weight by
// range, the centre of the equalised term, gains of narrow ranges and uniform frames (the
// table's rise with the index is a property on the real frames).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/plateau_equalisation.h"
#include "imagemap/offset_code_mapping.h"
#include "y16map/plateau_agc.h"

namespace kmm {
namespace {

std::unique_ptr<PlateauTables> freshTables() {
    auto t = std::make_unique_for_overwrite<PlateauTables>();
    // Garbage outside the occupied range must not matter.
    std::fill(std::begin(t->histogram.counts), std::end(t->histogram.counts), 0xBEEFu);
    std::fill(std::begin(t->histogram.narrow), std::end(t->histogram.narrow), 0xBEEFu);
    std::fill(std::begin(t->cumulative), std::end(t->cumulative), 0xDEADBEEFu);
    std::fill(std::begin(t->lut), std::end(t->lut), uint8_t(0xA5));
    return t;
}

const PlateauTuning kFull = agcParams(AgcVariant::FullResolutionSharpened)->equalisation;
const PlateauTuning kHalf = agcParams(AgcVariant::HalfResolution)->equalisation;
const PlateauTuning kOffset = offsetCodeEqualisation(kOffsetCodeEntryTuning);

// Two values whose indices lie range - 1 apart, in equal numbers.
std::vector<int16_t> twoLevels(const PlateauTuning& t, int32_t range) {
    std::vector<int16_t> frame(2000, 0);
    std::fill(frame.begin() + 1000, frame.end(), int16_t((range - 1) * (t.index.halved ? 2 : 1)));
    return frame;
}

TEST(PlateauEqualisation, LinearWeightFollowsTheRangeInEachTuning) {
    // The AGC's weight rises from 820 toward 1024 as R falls to 20; the offset codes' stays.
    const struct { const char* name; const PlateauTuning& tuning; int32_t range, weight; } rows[] = {
        {"full", kFull, 20, 1024},  {"full", kFull, 21, 1021},  {"full", kFull, 50, 947},
        {"full", kFull, 100, 820},  {"full", kFull, 101, 816},  {"full", kFull, 200, 512},
        {"full", kFull, 300, 204},  {"half", kHalf, 21, 1021},  {"half", kHalf, 50, 947},
        {"offset", kOffset, 21, 820}, {"offset", kOffset, 50, 820}, {"offset", kOffset, 20, 1024}};
    auto tables = freshTables();
    for (const auto& r : rows) {
        const auto frame = twoLevels(r.tuning, r.range);
        const PlateauResult res = equalisePlateau(r.tuning, frame.data(), 2000, *tables);
        ASSERT_EQ(res.range, r.range) << r.name;
        EXPECT_EQ(res.weight, r.weight) << r.name << " R=" << r.range;
    }
}

TEST(PlateauEqualisation, EqualisedTermIsCentredWhereTheTuningSaysSo) {
    // Values 0..999 once each (halved: 0..1999): R = 992, weight 204, and the mean value's
    // linear term is the brightness 100. Its equalised term is the middle of the span: on
    // full resolution 145 (the centre), on half resolution 128 (half of 256, from 0). Value
    // 510 (1020) has the terms 146 and 102 (130 and 103); at 732 (1464) the equalised term's
    // share of 820 / 1024 decides the grey within a 1024th.
    const struct { const char* name; const PlateauTuning& tuning; int32_t step; uint8_t grey, grey510, grey732; } rows[] = {
        {"full: (145 x 820 + 100 x 204) >> 10", kFull, 1, 136, 137, 180},
        {"half: (128 x 820 + 100 x 204) >> 10", kHalf, 2, 122, 124, 180}};
    auto tables = freshTables();
    for (const auto& r : rows) {
        std::vector<int16_t> frame;
        for (int32_t v = 0; v < 1000 * r.step; ++v) frame.push_back(int16_t(v));
        const PlateauResult res = equalisePlateau(r.tuning, frame.data(), int64_t(frame.size()), *tables);
        EXPECT_EQ(res.range, 992) << r.name;
        EXPECT_EQ(res.mean, 499) << r.name;
        EXPECT_EQ(tables->lut[histogramIndex(499 * r.step, r.tuning.index)], r.grey) << r.name;
        EXPECT_EQ(tables->lut[histogramIndex(510 * r.step, r.tuning.index)], r.grey510) << r.name;
        EXPECT_EQ(tables->lut[histogramIndex(732 * r.step, r.tuning.index)], r.grey732) << r.name;
    }
}

// A uniform frame has R = 1: the linear term alone, the mean at brightness.
TEST(PlateauEqualisation, UniformFramesMapToBrightness) {
    const struct { const char* name; const PlateauTuning& tuning; int16_t value; int32_t gain; uint8_t grey; } rows[] = {
        {"full resolution", kFull, 1234, 255 * 1024 / 509, 100},
        // The linear term shifts (toward minus infinity) but its base truncates the mean's
        // product (toward zero): below zero they part by one.
        {"full resolution, negative", kFull, -30000, 255 * 1024 / 509, 99},
        {"half resolution", kHalf, 777, 235 * 1024 / 253, 100},
        {"half resolution, below -16384", kHalf, -20000, 235 * 1024 / 253, 100},
        {"offset codes", kOffset, 2498, 442, 110},
    };
    auto tables = freshTables();
    for (const auto& r : rows) {
        const std::vector<int16_t> frame(40 * 30, r.value);
        const PlateauResult res = equalisePlateau(r.tuning, frame.data(), int64_t(frame.size()), *tables);
        const int32_t k = histogramIndex(r.value, r.tuning.index);
        EXPECT_TRUE(res.kMin == k && res.kMax == k && res.kLow == k && res.kHigh == k) << r.name;
        EXPECT_TRUE(res.range == 1 && res.weight == 1024) << r.name;
        EXPECT_EQ(res.gain, r.gain) << r.name;
        EXPECT_EQ(tables->lut[k], r.grey) << r.name;
    }
}

TEST(PlateauEqualisation, GainCapNarrowPlateauAndMeetingPercentiles) {
    PlateauTuning steep = kFull;
    steep.contrast = 100000;
    const auto frame = twoLevels(kFull, 4);
    auto tables = freshTables();
    EXPECT_EQ(equalisePlateau(steep, frame.data(), 2000, *tables).gain, 4096);
    // Each AGC clips a crowded level at its plateau: 20 at full resolution, 100 at half.
    for (auto [tuning, perLevel] : {std::pair(&kFull, 20u), {&kHalf, 100u}}) {
        const auto levels = twoLevels(*tuning, 300);
        EXPECT_EQ(tables->cumulative[equalisePlateau(*tuning, levels.data(), 2000, *tables).kMin], perLevel);
    }
    // The offset codes' tuning with a plateau of 100: 25 a level below R = 128, 100 from 128 on.
    PlateauTuning plateau100 = kOffset;
    plateau100.plateau = 100;
    for (auto [range, perLevel] : {std::pair(127, 25u), {128, 100u}}) {
        const auto levels = twoLevels(kOffset, range);
        EXPECT_EQ(tables->cumulative[equalisePlateau(plateau100, levels.data(), 2000, *tables).kMin], perLevel) << range;
    }
    // One hot pixel among 1200, inside the discarded share: both percentiles meet on the scene.
    std::vector<int16_t> spotted(1200, 500);
    spotted[7] = 2000;
    EXPECT_EQ(equalisePlateau(kFull, spotted.data(), 1200, *tables).range, 1);
}

// Normalising at the upper percentile lets the values above it run past the span, so the
// top of the percentile range gets the full equalised span instead of a share of it.
TEST(PlateauEqualisation, TotalAtUpperPercentileBrightensTheTopOfTheRange) {
    std::vector<int16_t> frame(10000);
    for (size_t i = 0; i < 9001; ++i) frame[i] = int16_t(i % 400);
    for (size_t i = 9001; i < frame.size(); ++i) frame[i] = int16_t(1000 + i);  // a sparse hot tail
    PlateauTuning atPercentile = kOffset;
    atPercentile.highDiscard = 100;  // the tail is 999 values, under 10 %
    PlateauTuning atTop = atPercentile;
    atTop.totalAt = TotalAt::HighestIndex;
    auto tables = freshTables();
    const PlateauResult r = equalisePlateau(atTop, frame.data(), int64_t(frame.size()), *tables);
    ASSERT_EQ(r.kHigh, 32768 + 399);
    const uint8_t topNormalisedAtMax = tables->lut[r.kHigh];
    equalisePlateau(atPercentile, frame.data(), int64_t(frame.size()), *tables);
    EXPECT_GT(tables->lut[r.kHigh], topNormalisedAtMax + 20);
}

}  // namespace
}  // namespace kmm
