// The histogram scan shared by the linear and equalised mappings: the mean, the cut points at
// the percentile and the extreme points at 0.001 % from either end, from 16-bit counters.
#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {
namespace {

// The object's counters stop at 65,535.
constexpr uint32_t kCounterLimit = 65535;

// One walk from `from` to `to` for the cut point and the extreme point: it stops at the cut,
// so an extreme point beyond it is never found; a cut not found is notFound. The extreme count
// (a 100,000th of the frame, at most 21,475) is always reached: one full counter holds it, or
// all the counters together do.
void walk(const uint32_t* counts, int32_t from, int32_t to, int64_t extremeCount,
          int64_t cutCount, int32_t notFound, int32_t& extreme, int32_t& cut) {
    const auto c = percentileIndex(counts, from, to, cutCount, kCounterLimit);
    const int32_t e = *percentileIndex(counts, from, to, extremeCount, kCounterLimit);
    // e comes at or before c when c - e is 0 or runs the way of the walk.
    const bool beforeCut = !c || int64_t(*c - e) * (to - from) >= 0;
    cut = c.value_or(notFound);
    extreme = beforeCut ? e : notFound;
}

}  // namespace

PercentileScan ImagePipeline::scanHistogram(const int16_t* in, int32_t count,
                                            uint32_t percentile, Histogram& histogram) const {
    const HistogramScan s =
        buildHistogram(in, count, {histogramOffset, false}, histogram,
                       in == rangedFrame_ ? std::optional(frameRange_) : std::nullopt);
    PercentileScan scan{};
    scan.count = count;
    scan.minValue = s.valueMin;
    scan.maxValue = s.valueMax;
    scan.firstBin = s.first;
    scan.lastBin = s.last;
    scan.mean = static_cast<int32_t>(s.indexSum / count - histogramOffset);

    const int64_t extremeCount = count / 100000;
    const int64_t cutCount = static_cast<uint32_t>(count) * percentile / 1000;  // 32-bit product
    int32_t extremeLow, low, extremeHigh, high;
    walk(histogram.counts, s.first, s.last, extremeCount, cutCount, kIndexCount, extremeLow, low);
    walk(histogram.counts, s.last, s.first, extremeCount, cutCount, 0, extremeHigh, high);
    scan.extremeLow = extremeLow - histogramOffset;
    scan.low = low - histogramOffset;
    scan.extremeHigh = extremeHigh - histogramOffset;
    scan.high = high - histogramOffset;
    return scan;
}

}  // namespace kmm
