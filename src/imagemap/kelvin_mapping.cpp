// Kelvin-code grey mapping: scale choice, code conversion, then the percentile stretch as a
// composition of the kernels (histogram and percentile limits, or the mean inside the
// caller's window; the gain; the Q10 stretch), and the write-back of the limits.
#include "imagemap/kelvin_mapping.h"

#include <algorithm>
#include <limits>

#include "common/work_block.h"
#include "kernels/conversions.h"
#include "kernels/float_codes.h"
#include "kernels/linear.h"

namespace kmm {
namespace {

// code = (T + kelvinOffset) x unitsPerKelvin in float. The coarse offset is 273.1, not 273.15.
struct KelvinScale {
    float kelvinOffset;
    float unitsPerKelvin;
};
constexpr KelvinScale kFineScale{273.15f, 100.0f};
constexpr KelvinScale kCoarseScale{273.1f, 10.0f};

// Saturating, so that temperatures beyond the scale show as its ends, never as wrapped codes.
uint16_t toKelvinCode(float celsius, KelvinScale s) {
    return saturatedCode(celsius, s.kelvinOffset, s.unitsPerKelvin);
}

float toCelsius(uint16_t code, KelvinScale s) {
    return static_cast<float>(code) / s.unitsPerKelvin - s.kelvinOffset;
}

}  // namespace

bool mapKelvinFrame(float /*tuning*/, FrameView<const float> temperatures, uint8_t* image,
                    int32_t contrast, int32_t brightness, float& maxTemp, float& minTemp,
                    bool autoRange) {
    const int32_t n = temperatures.count();
    const float* t = temperatures.pixels;
    WorkBlock work(WorkBlock::bytesFor<uint16_t>(size_t(n)) +
                   (autoRange ? WorkBlock::bytesFor<Histogram>(1) : 0));
    uint16_t* codes = work.take<uint16_t>(size_t(n));
    // Converted at the fine scale while the maximum is found, and again at the coarse one in
    // the rare frame that needs it (or, without autoRange, the caller's maxTemp).
    const FloatExtremes ends =
        toSaturatedCodes(codes, t, n, kFineScale.kelvinOffset, kFineScale.unitsPerKelvin);
    if (!ends.finite()) return false;
    const bool coarse = ends.largest > 200.0f || (!autoRange && maxTemp > 200.0f);
    const KelvinScale scale = coarse ? kCoarseScale : kFineScale;
    if (coarse) toSaturatedCodes(codes, t, n, scale.kelvinOffset, scale.unitsPerKelvin);
    uint16_t maxCode = toKelvinCode(maxTemp, scale);
    uint16_t minCode = toKelvinCode(minTemp, scale);

    mapCodesByPercentile({codes, temperatures.width, temperatures.height}, image, contrast,
                         brightness, maxCode, minCode, autoRange,
                         autoRange ? work.take<Histogram>(1) : nullptr);

    maxTemp = toCelsius(maxCode, scale);
    minTemp = toCelsius(minCode, scale);
    return true;
}

void mapCodesByPercentile(FrameView<const uint16_t> codes, uint8_t* image, int32_t contrast,
                          int32_t brightness, uint16_t& maxCode, uint16_t& minCode,
                          bool autoRange, Histogram* histogram) {
    const int32_t n = codes.count();
    int64_t gain = 0, offset = 0;
    if (autoRange) {
        const HistogramScan scan = buildHistogram(codes.pixels, n, {0, false}, *histogram);
        // With a threshold of 0 (under 100 pixels) the limits are the ends of the code
        // range. Otherwise the running totals over the empty codes outside the occupied
        // range stay below it, so walking the occupied range alone finds the same codes.
        const auto threshold = static_cast<int32_t>(static_cast<float>(n) * 0.01f);
        if (threshold == 0) {
            minCode = 0;
            maxCode = 65535;
        } else {
            const uint32_t* counts = histogram->counts;
            minCode = uint16_t(
                percentileIndex(counts, scan.first, scan.last, threshold).value_or(scan.first));
            maxCode = uint16_t(
                percentileIndex(counts, scan.last, scan.first, threshold).value_or(scan.last));
        }
        // The 1 % and 99 % points never cross, so range >= 1. Narrow ranges get a smaller
        // gain: the divisor grows by 2 for every step below 128.
        const int32_t range = int32_t(maxCode) - int32_t(minCode) + 1;
        gain = gainWithKnee(int64_t(contrast) * 1024, range, {128, 2}, 8192);
        offset = brightness - scan.valueSum / n * gain / 1024;
    } else {
        const int32_t lo = minCode, hi = maxCode;
        const int32_t range = hi - lo + 1;
        if (range <= 0) {
            std::fill(image, image + n, uint8_t(0));
            return;
        }
        gain = gainWithKnee(261120, range, {}, std::numeric_limits<int64_t>::max());  // 255 x 1024
        const WindowSum inside = sumInside(codes.pixels, n, lo, hi);
        offset = inside.count != 0
                     ? 128 - inside.sum / inside.count * gain / 1024
                     : int64_t(128.0 - double(int64_t(lo + hi) * gain) * 0.5 / 1024);
    }
    // A one-code window has gain 261120, and 65535 x 261120 needs 35 bits: the stretch forms
    // its products in 64 bits where they need it.
    stretchLinear(image, codes.pixels, n, gain, offset);
}

}  // namespace kmm
