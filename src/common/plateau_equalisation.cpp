// Plateau-limited histogram equalisation: index scan and histogram, percentile range, gain
// with a knee, cumulative table under the plateau, and the blended look-up table.
#include "common/plateau_equalisation.h"

#include <algorithm>

#include "common/numeric.h"

namespace kmm {
namespace {

// Sums run in 32-bit lanes over blocks short enough that they cannot overflow
// (16384 * 65535 < 2^31), which lets the compiler vectorise the scan.
constexpr int64_t kSumBlock = 16384;

template <bool Halved>
IndexScan scanIndices(const int16_t* values, int64_t count, int32_t offset) {
    const GreyIndexMapping mapping{offset, Halved};
    int32_t vMin = values[0], vMax = values[0];
    int64_t valueSum = 0, indexSum = 0;
    for (int64_t start = 0; start < count; start += kSumBlock) {
        const int64_t end = std::min(count, start + kSumBlock);
        int32_t blockValues = 0, blockIndices = 0;
        for (int64_t i = start; i < end; ++i) {
            const int32_t v = values[i];
            vMin = std::min(vMin, v);
            vMax = std::max(vMax, v);
            blockValues += v;
            blockIndices += greyIndex(values[i], mapping);
        }
        valueSum += blockValues;
        indexSum += blockIndices;
    }
    // greyIndex never decreases with v, so the extremes of the values give those of k.
    return {greyIndex(int16_t(vMin), mapping), greyIndex(int16_t(vMax), mapping), indexSum,
            valueSum, int16_t(vMin), int16_t(vMax)};
}

template <bool Halved>
void countIndices(const int16_t* values, int64_t count, int32_t offset, uint32_t* even,
                  uint32_t* odd) {
    const GreyIndexMapping mapping{offset, Halved};
    int64_t i = 0;
    for (; i + 1 < count; i += 2) {
        ++even[greyIndex(values[i], mapping)];
        ++odd[greyIndex(values[i + 1], mapping)];
    }
    if (i < count) ++even[greyIndex(values[i], mapping)];
}

}  // namespace

IndexScan buildIndexHistogram(const int16_t* values, int64_t count, GreyIndexMapping mapping,
                              IndexHistogram& histogram) {
    const IndexScan scan = mapping.halved ? scanIndices<true>(values, count, mapping.offset)
                                          : scanIndices<false>(values, count, mapping.offset);
    uint32_t* even = histogram.counts;
    uint32_t* odd = histogram.oddCounts;
    std::fill(even + scan.kMin, even + scan.kMax + 1, 0u);
    std::fill(odd + scan.kMin, odd + scan.kMax + 1, 0u);
    if (mapping.halved) {
        countIndices<true>(values, count, mapping.offset, even, odd);
    } else {
        countIndices<false>(values, count, mapping.offset, even, odd);
    }
    for (int32_t k = scan.kMin; k <= scan.kMax; ++k) even[k] += odd[k];
    return scan;
}

std::optional<int32_t> percentileIndex(const uint32_t* histogram, int32_t kFrom, int32_t kTo,
                                       int64_t need, uint32_t countLimit) {
    const int32_t step = kFrom <= kTo ? 1 : -1;
    int64_t total = 0;
    for (int32_t k = kFrom;; k += step) {
        total += std::min(histogram[k], countLimit);
        if (total >= need && histogram[k] != 0) return k;
        if (k == kTo) return std::nullopt;
    }
}

int32_t linearWeight(int32_t range, int32_t midWeightRise) {
    if (range >= 300) return 204;
    if (range > 100) return 204 + (300 - range) * 616 / 200;
    if (range > 20) return 820 + (100 - range) * midWeightRise / 80;
    return 1024;
}

PlateauResult equalisePlateau(const PlateauTuning& tuning, const int16_t* values, int64_t count,
                              PlateauTables& tables) {
    const int32_t offset = tuning.index.offset;
    const IndexScan scan = buildIndexHistogram(values, count, tuning.index, tables.histogram);
    const uint32_t* histogram = tables.histogram.counts;

    PlateauResult r;
    r.kMin = scan.kMin;
    r.kMax = scan.kMax;
    r.valueMin = scan.valueMin;
    r.valueMax = scan.valueMax;
    // Index sums are never negative, so truncating division is the floor.
    r.mean = int32_t(scan.indexSum / count) - offset;

    const uint32_t limit = tuning.countLimit;
    const auto kLow =
        percentileIndex(histogram, r.kMin, r.kMax, count * tuning.lowDiscard / 1000, limit);
    const auto kHigh =
        percentileIndex(histogram, r.kMax, r.kMin, count * tuning.highDiscard / 1000, limit);
    const bool found = kLow && kHigh && *kLow <= *kHigh;
    r.kLow = found ? *kLow : r.kMin;
    r.kHigh = found ? *kHigh : r.kMax;
    r.range = r.kHigh - r.kLow + 1;

    // Narrow ranges get a smaller gain: the divisor grows by 4 for every step below the knee.
    const int64_t divisor =
        r.range >= tuning.rangeKnee ? r.range : r.range + 4 * int64_t(tuning.rangeKnee - r.range);
    r.gain = int32_t(std::min<int64_t>(int64_t(tuning.contrast) * 1024 / divisor,
                                       int64_t(tuning.maxGain) * 1024));
    const int64_t linBase = tuning.brightness - int64_t(r.mean) * r.gain / 1024;
    r.weight = linearWeight(r.range, tuning.midWeightRise);

    const int32_t plateau =
        std::max(0, r.range < tuning.narrowPlateauBelow ? tuning.plateau / 4 : tuning.plateau);
    // An unsigned 32-bit running total, like the table that keeps it.
    uint32_t running = 0;
    for (int32_t k = r.kMin; k <= r.kMax; ++k) {
        running += std::min({histogram[k], limit, uint32_t(plateau)});
        tables.cumulative[k] = running;
    }
    const uint32_t total =
        tables.cumulative[tuning.totalAt == TotalAt::HighestIndex ? r.kMax : r.kHigh];

    const int32_t span = std::min(r.range, tuning.spanLimit);
    const int32_t eqBase = tuning.equaliseCentre ? *tuning.equaliseCentre - span / 2 : 0;
    const int32_t w = r.weight;
    const bool saturate = tuning.termOverflow == TermOverflow::Saturate;
    const auto to16 = [saturate](int64_t v) -> int32_t {
        return saturate ? int32_t(std::clamp<int64_t>(v, -32768, 32767)) : wrapToInt16(v);
    };
    for (int32_t k = r.kMin; k <= r.kMax; ++k) {
        // The equalised fraction is an unsigned 32-bit quotient; both terms then live in
        // 16 bits, which they overflow only for values far outside the percentile range.
        const uint32_t fraction = total == 0 ? 0u : tables.cumulative[k] * uint32_t(span) / total;
        const int32_t eq = to16(int64_t(fraction) + eqBase);
        const int32_t lin = to16(((int64_t(k - offset) * r.gain) >> 10) + linBase);
        tables.lut[k] = clampToByte((eq * (1024 - w) + lin * w) >> 10);
    }
    return r;
}

}  // namespace kmm
