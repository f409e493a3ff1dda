// Plateau-limited histogram equalisation as a composition of the kernels: histogram, percentile
// range, gain with a knee, running total under the plateau, then the blended table.
#include "common/plateau_equalisation.h"

#include <algorithm>

#include "kernels/conversions.h"
#include "kernels/grey_map.h"
#include "kernels/linear.h"

namespace kmm {
namespace {

// The linear term's weight (Q10) for a percentile range R >= 1: wide scenes lean on the
// equalisation, narrow ones on the linear stretch.
int32_t linearWeight(int32_t range, int32_t midWeightRise) {
    if (range >= 300) return 204;
    if (range > 100) return 204 + (300 - range) * 616 / 200;
    if (range > 20) return 820 + (100 - range) * midWeightRise / 80;
    return 1024;
}

}  // namespace

PlateauResult equalisePlateau(const PlateauTuning& tuning, const int16_t* values, int64_t count,
                              PlateauTables& tables) {
    const int32_t offset = tuning.index.offset;
    const HistogramScan scan = buildHistogram(values, count, tuning.index, tables.histogram);
    const uint32_t* histogram = tables.histogram.counts;

    PlateauResult r;
    r.kMin = scan.first;
    r.kMax = scan.last;
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
    r.gain = int32_t(gainWithKnee(int64_t(tuning.contrast) * 1024, r.range, {tuning.rangeKnee, 4},
                                  int64_t(tuning.maxGain) * 1024));
    const int64_t linBase = tuning.brightness - int64_t(r.mean) * r.gain / 1024;
    r.weight = linearWeight(r.range, tuning.midWeightRise);

    const int32_t plateau =
        std::max(0, r.range < tuning.narrowPlateauBelow ? tuning.plateau / 4 : tuning.plateau);
    accumulateLimited(tables.cumulative, histogram, r.kMin, r.kMax,
                      std::min(limit, uint32_t(plateau)));
    const uint32_t total =
        tables.cumulative[tuning.totalAt == TotalAt::HighestIndex ? r.kMax : r.kHigh];

    const int32_t span = std::min(r.range, tuning.spanLimit);
    const int32_t eqBase = tuning.equaliseCentre ? *tuning.equaliseCentre - span / 2 : 0;
    const int32_t w = r.weight;
    const bool saturate = tuning.termOverflow == TermOverflow::Saturate;
    const auto to16 = [saturate](int64_t v) -> int32_t {
        return saturate ? int32_t(std::clamp<int64_t>(v, -32768, 32767)) : wrapToInt16(v);
    };
    buildMap(tables.lut, r.kMin, r.kMax, [&](int32_t k) {
        // The equalised fraction is an unsigned 32-bit quotient; both terms then live in
        // 16 bits, which they overflow only for values far outside the percentile range.
        const uint32_t fraction = total == 0 ? 0u : tables.cumulative[k] * uint32_t(span) / total;
        const int32_t eq = to16(int64_t(fraction) + eqBase);
        const int32_t lin = to16(((int64_t(k - offset) * r.gain) >> 10) + linBase);
        return clampToByte((eq * (1024 - w) + lin * w) >> 10);
    });
    return r;
}

}  // namespace kmm
