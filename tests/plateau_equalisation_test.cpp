// The shared plateau equalisation: blend weights, percentile scans, gains of narrow ranges,
// and properties of the look-up table on random frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "common/plateau_equalisation.h"
#include "random.h"

namespace kmm {
namespace {

std::unique_ptr<PlateauTables> freshTables() {
    auto t = std::make_unique_for_overwrite<PlateauTables>();
    // Garbage outside the occupied range must not matter.
    std::fill(std::begin(t->histogram.counts), std::end(t->histogram.counts), 0xBEEFu);
    std::fill(std::begin(t->histogram.oddCounts), std::end(t->histogram.oddCounts), 0xBEEFu);
    std::fill(std::begin(t->cumulative), std::end(t->cumulative), 0xDEADBEEFu);
    std::fill(std::begin(t->lut), std::end(t->lut), uint8_t(0xA5));
    return t;
}

PlateauTuning fullResolution() { return {{32768, false}, 255, 100, 128, 180, 145, 20, 0, 5, 5, 4, 204, TotalAt::HighestIndex}; }
PlateauTuning halfResolution() { return {{8192, true}, 235, 100, 64, 256, std::nullopt, 100, 0, 5, 5, 4, 204, TotalAt::HighestIndex}; }
PlateauTuning offsetCodes() { return {{32768, false}, 220, 110, 128, 220, 110, 10, 128, 1, 1, 4, 0, TotalAt::UpperPercentile}; }

TEST(PlateauEqualisation, LinearWeightAndPercentileScanTables) {
    // Weight bands by range R, with the rise of 204 and without it.
    const struct { int32_t range, rise, weight; } weights[] = {
        {20, 204, 1024}, {21, 204, 1021}, {100, 204, 820}, {101, 204, 816}, {200, 204, 512},
        {300, 204, 204}, {5000, 204, 204}, {20, 0, 1024}, {21, 0, 820}, {100, 0, 820}};
    for (const auto& r : weights) {
        EXPECT_EQ(linearWeight(r.range, r.rise), r.weight) << "R=" << r.range << " rise=" << r.rise;
    }
    // The scan stops only on an index with a non-zero count of its own, in either direction.
    std::vector<uint32_t> h(16, 0);
    h[3] = 2;
    h[7] = 4;
    h[12] = 1;
    const struct { int32_t from, to; int64_t need; std::optional<int32_t> index; } scans[] = {
        {3, 12, 0, 3}, {3, 12, 3, 7}, {3, 12, 7, 12}, {3, 12, 8, {}},
        {12, 3, 2, 7}, {12, 3, 6, 3}, {0, 15, 0, 3},  {15, 0, 1, 12}};
    for (const auto& r : scans) {
        EXPECT_EQ(percentileIndex(h.data(), r.from, r.to, r.need), r.index)
            << r.from << ".." << r.to << " need " << r.need;
    }
}

// A uniform frame has R = 1: the linear term alone, the mean at brightness.
TEST(PlateauEqualisation, UniformFramesMapToBrightness) {
    const struct { const char* name; PlateauTuning tuning; int16_t value; int32_t gain; uint8_t grey; } rows[] = {
        {"full resolution", fullResolution(), 1234, 255 * 1024 / 509, 100},
        // The linear term shifts (toward minus infinity) but its base truncates the mean's
        // product (toward zero): below zero they part by one.
        {"full resolution, negative", fullResolution(), -30000, 255 * 1024 / 509, 99},
        {"half resolution", halfResolution(), 777, 235 * 1024 / 253, 100},
        {"half resolution, below -16384", halfResolution(), -20000, 235 * 1024 / 253, 100},
        {"offset codes", offsetCodes(), 2498, 442, 110},
    };
    auto tables = freshTables();
    for (const auto& r : rows) {
        const std::vector<int16_t> frame(40 * 30, r.value);
        const PlateauResult res = equalisePlateau(r.tuning, frame.data(), int64_t(frame.size()), *tables);
        const int32_t k = greyIndex(r.value, r.tuning.index);
        EXPECT_TRUE(res.kMin == k && res.kMax == k && res.kLow == k && res.kHigh == k) << r.name;
        EXPECT_TRUE(res.range == 1 && res.weight == 1024) << r.name;
        EXPECT_EQ(res.gain, r.gain) << r.name;
        EXPECT_EQ(tables->lut[k], r.grey) << r.name;
    }
}

TEST(PlateauEqualisation, GainIsLimitedAndKneed) {
    // Two values 1000 apart in equal numbers: R = 1001 on full resolution, 501 halved.
    std::vector<int16_t> frame(2000, 0);
    std::fill(frame.begin() + 1000, frame.end(), int16_t(1000));
    auto tables = freshTables();
    EXPECT_EQ(equalisePlateau(fullResolution(), frame.data(), 2000, *tables).gain, 255 * 1024 / 1001);
    EXPECT_EQ(equalisePlateau(halfResolution(), frame.data(), 2000, *tables).gain, 235 * 1024 / 501);
    // Four levels one step apart: R = 4, below every knee; the gain cap is 4.0.
    PlateauTuning steep = fullResolution();
    steep.contrast = 100000;
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = int16_t(i % 4);
    EXPECT_EQ(equalisePlateau(steep, frame.data(), 2000, *tables).gain, 4096);
}

// On any frame the table rises with the index (no wrap: values stay near the range).
TEST(PlateauEqualisation, TableRisesWithTheIndexOnRandomFrames) {
    scenes::SplitMix64 rng(42);
    auto tables = freshTables();
    for (int trial = 0; trial < 12; ++trial) {
        const int32_t centre = int32_t(rng.next() % 20000) - 10000;
        const int32_t spread = 1 + int32_t(rng.next() % 3000);
        std::vector<int16_t> frame(64 * 48);
        for (auto& v : frame) v = int16_t(centre + rng.normal() * spread);
        for (const PlateauTuning& t : {fullResolution(), halfResolution(), offsetCodes()}) {
            const PlateauResult r = equalisePlateau(t, frame.data(), int64_t(frame.size()), *tables);
            ASSERT_TRUE(r.kMin <= r.kLow && r.kLow <= r.kHigh && r.kHigh <= r.kMax) << trial;
            for (int32_t k = r.kMin; k < r.kMax; ++k) {
                ASSERT_LE(tables->lut[k], tables->lut[k + 1]) << "trial " << trial << " k " << k;
            }
        }
    }
}

// Normalising at the upper percentile lets the values above it run past the span, so the
// top of the percentile range gets the full equalised span instead of a share of it.
TEST(PlateauEqualisation, TotalAtUpperPercentileBrightensTheTopOfTheRange) {
    std::vector<int16_t> frame(10000);
    for (size_t i = 0; i < 9001; ++i) frame[i] = int16_t(i % 400);
    for (size_t i = 9001; i < frame.size(); ++i) frame[i] = int16_t(1000 + i);  // a sparse hot tail
    PlateauTuning atPercentile = offsetCodes();
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
