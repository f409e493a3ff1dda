// The linear percentile stretch as a composition of the kernels: histogram and percentile
// limits (or the caller's window and the mean inside it), the gain, then the Q10 stretch.
#include "y16map/percentile_mapping.h"

#include <algorithm>

#include "common/work_block.h"
#include "kernels/conversions.h"
#include "kernels/histogram.h"
#include "kernels/linear.h"

namespace kmm {
namespace {

// Bin of value v: v + 16384, so values below -16384 count as -16384.
constexpr IndexMapping kBins{16384, false};
constexpr int64_t kMaxGain = 8192;

// A 32-bit signed product with its wrap made explicit.
int32_t product32(int64_t a, int64_t b) { return int32_t(uint32_t(uint64_t(a) * uint64_t(b))); }

struct Limits {
    int16_t high, low;
    int64_t valueSum;
};

Limits limitsFromFrame(const int16_t* src, int64_t count) {
    WorkBlock work(WorkBlock::bytesFor<Histogram>(1));
    Histogram& histogram = *work.take<Histogram>(1);
    const HistogramScan scan = buildHistogram(src, count, kBins, histogram);
    const int32_t lowBin = percentileIndex(histogram.counts, scan.first, scan.last, kPercentileTail)
                               .value_or(scan.first);
    const int32_t highBin = percentileIndex(histogram.counts, scan.last, scan.first, kPercentileTail)
                                .value_or(scan.last);
    return {int16_t(highBin - kBins.offset), int16_t(lowBin - kBins.offset), scan.valueSum};
}

// Offset of a caller's window: the mean strictly inside it goes to brightness; with no
// pixel inside, the window's middle does.
int64_t windowOffset(const int16_t* src, int64_t count, int32_t brightness, int32_t gain,
                     int16_t high, int16_t low) {
    const WindowSum inside = sumInside(src, count, low, high);
    if (inside.count != 0) return brightness - inside.sum / inside.count * gain / 1024;
    const double middle = double(product32(int32_t(low) + high, gain)) * 0.5 / 1024;
    return saturatingTrunc<int64_t>(double(brightness) - middle);
}

}  // namespace

bool mapLinearPercentile(uint8_t* dst, const int16_t* src, int64_t count, int32_t contrast,
                         int32_t brightness, int16_t& maxY16, int16_t& minY16, bool autoRange) {
    int64_t offset = 0;
    int32_t gain = 0;
    if (autoRange) {
        const Limits limits = limitsFromFrame(src, count);
        maxY16 = limits.high;
        minY16 = limits.low;
        // Narrow automatic ranges (and crossed limits on tiny frames) get 256 - R.
        gain = int32_t(gainWithKnee(product32(contrast, 1024), limits.high - limits.low + 1,
                                    {128, 2}, kMaxGain));
        offset = brightness - limits.valueSum / count * gain / 1024;
    } else {
        const int16_t high = maxY16, low = minY16;
        if (high < low) return false;
        gain = int32_t(gainWithKnee(product32(contrast, 1024), high - low + 1, {}, kMaxGain));
        offset = windowOffset(src, count, brightness, gain, high, low);
    }
    if (gain >= -65535) {
        stretchLinear(dst, src, count, gain, offset);
    } else {
        // Only a contrast below -2^16 gets here; the 32-bit product then wraps.
        const int64_t base = std::clamp<int64_t>(offset, -(1 << 24), 1 << 24);
        for (int64_t i = 0; i < count; ++i) {
            dst[i] = clampToByte(int64_t(product32(src[i], gain) / 1024) + base);
        }
    }
    return true;
}

}  // namespace kmm
