// The linear percentile stretch: limits, gain and offset, then one multiply per pixel.
#include "y16map/percentile_mapping.h"

#include <algorithm>
#include <memory>

#include "common/numeric.h"
#include "common/plateau_equalisation.h"

namespace kmm {
namespace {

constexpr GreyIndexMapping kBins{16384, false};
constexpr int32_t kMaxGain = 8192;

// A 32-bit signed product with its wrap made explicit.
int32_t product32(int64_t a, int64_t b) { return int32_t(uint32_t(uint64_t(a) * uint64_t(b))); }

struct Limits {
    int16_t high, low;
    int64_t valueSum;
};

Limits limitsFromFrame(const int16_t* src, int64_t count) {
    const auto histogram = std::make_unique_for_overwrite<IndexHistogram>();
    const IndexScan scan = buildIndexHistogram(src, count, kBins, *histogram);
    const uint32_t* counts = histogram->counts;
    const int32_t lowBin =
        percentileIndex(counts, scan.kMin, scan.kMax, kPercentileTail).value_or(scan.kMin);
    const int32_t highBin =
        percentileIndex(counts, scan.kMax, scan.kMin, kPercentileTail).value_or(scan.kMax);
    return {int16_t(highBin - kBins.offset), int16_t(lowBin - kBins.offset), scan.valueSum};
}

// Offset of a caller's window: the mean strictly inside it goes to brightness; with no
// pixel inside, the window's middle does.
int64_t windowOffset(const int16_t* src, int64_t count, int32_t brightness, int32_t gain,
                     int16_t high, int16_t low) {
    // 32-bit partial sums over blocks that cannot overflow them, so the loop vectorises.
    constexpr int64_t kBlock = 32768;
    int64_t sum = 0, inside = 0;
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t end = std::min(count, start + kBlock);
        int32_t blockSum = 0, blockInside = 0;
        for (int64_t i = start; i < end; ++i) {
            const int32_t v = src[i];
            const int32_t in = int32_t(v > low) & int32_t(v < high);
            blockSum += in * v;
            blockInside += in;
        }
        sum += blockSum;
        inside += blockInside;
    }
    if (inside != 0) return brightness - sum / inside * gain / 1024;
    const double middle = double(product32(int32_t(low) + high, gain)) * 0.5 / 1024;
    return saturatingTrunc<int64_t>(double(brightness) - middle);
}

}  // namespace

bool mapLinearPercentile(uint8_t* dst, const int16_t* src, int64_t count, int32_t contrast,
                         int32_t brightness, int16_t* maxY16, int16_t* minY16, bool autoRange) {
    int64_t offset = 0;
    int32_t gain = 0;
    if (autoRange) {
        const Limits limits = limitsFromFrame(src, count);
        *maxY16 = limits.high;
        *minY16 = limits.low;
        const int32_t range = limits.high - limits.low + 1;
        // Narrow automatic ranges (and crossed limits on tiny frames) get 256 - R.
        const int32_t divisor = range < 128 ? 256 - range : range;
        gain = std::min(product32(contrast, 1024) / divisor, kMaxGain);
        const int64_t mean = limits.valueSum / count;
        offset = brightness - mean * gain / 1024;
    } else {
        const int16_t high = *maxY16, low = *minY16;
        if (high < low) return false;
        gain = std::min(product32(contrast, 1024) / (high - low + 1), kMaxGain);
        offset = windowOffset(src, count, brightness, gain, high, low);
    }
    // v * gain / 1024 lies within +-2^21 for |gain| <= 65535, so an offset beyond +-2^24
    // decides the clamp alone; limiting it keeps the per-pixel sum in 32 bits.
    const int32_t base = int32_t(std::clamp<int64_t>(offset, -(1 << 24), 1 << 24));
    if (gain >= -65535) {
        for (int64_t i = 0; i < count; ++i) dst[i] = clampToByte(src[i] * gain / 1024 + base);
    } else {
        // Only a contrast below -2^16 gets here; the 32-bit product then wraps.
        for (int64_t i = 0; i < count; ++i) {
            dst[i] = clampToByte(int64_t(product32(src[i], gain) / 1024) + base);
        }
    }
    return true;
}

}  // namespace kmm
