// Kelvin-code grey mapping: scale choice, code conversion, percentile stretch and the
// write-back of the limits in the chosen scale.
#include "imagemap/kelvin_mapping.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <vector>

#include "common/numeric.h"
#include "common/pixel_count.h"

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
    return saturatingTrunc<uint16_t>((celsius + s.kelvinOffset) * s.unitsPerKelvin);
}

float toCelsius(uint16_t code, KelvinScale s) {
    return static_cast<float>(code) / s.unitsPerKelvin - s.kelvinOffset;
}

// First code, walking from `from` toward `to`, at which the running count reaches `need`.
// The caller guarantees that the walk reaches it.
int32_t percentileCode(const std::vector<uint32_t>& histogram, int32_t base, int32_t from,
                       int32_t step, int64_t need) {
    int64_t running = 0;
    for (int32_t code = from;; code += step) {
        running += histogram[size_t(code - base)];
        if (running >= need) return code;
    }
}

// Whether the running maximum of the frame (strict greater-than from element 0, then the
// caller's maxTemp when it is greater, without autoRange) ends above 200 degC. Strict
// comparisons pass NaN elements over but never replace a NaN first element, so this is: a
// number first, and some element, or the caller's limit, above 200. Written as a flag over
// all elements rather than a running maximum, the scan vectorises.
bool endsAbove200(const float* temperatures, int32_t n, float maxTemp, bool autoRange) {
    if (std::isnan(temperatures[0])) return false;
    int32_t above = !autoRange && maxTemp > 200.0f;
    for (int32_t i = 0; i < n; ++i) above |= temperatures[i] > 200.0f;
    return above != 0;
}

struct CodeScan {
    int32_t lowest, highest;  // over all codes
    int64_t sum, count;       // over the codes within first..last
};

// Sums run in 32-bit lanes over blocks short enough not to overflow (65536 x 65535 < 2^32),
// which lets the compiler vectorise the scan.
CodeScan scanCodes(const uint16_t* codes, int32_t n, int32_t first, int32_t last) {
    constexpr int32_t kBlock = 65536;
    CodeScan scan{65535, 0, 0, 0};
    for (int32_t start = 0; start < n; start += kBlock) {
        const int32_t end = std::min(n, start + kBlock);
        uint32_t blockSum = 0, blockCount = 0;
        int32_t lowest = scan.lowest, highest = scan.highest;
        for (int32_t i = start; i < end; ++i) {
            const int32_t code = codes[i];
            const bool within = code >= first && code <= last;
            blockSum += within ? uint32_t(code) : 0u;
            blockCount += within;
            lowest = std::min(lowest, code);
            highest = std::max(highest, code);
        }
        scan = {lowest, highest, scan.sum + blockSum, scan.count + blockCount};
    }
    return scan;
}

// g = trunc(code x gain / 1024) + offset, clamped; Wide holds every product and sum.
template <typename Wide>
void stretchCodes(const uint16_t* codes, uint8_t* image, int32_t n, Wide gain, Wide offset) {
    for (int32_t i = 0; i < n; ++i) image[i] = clampToByte(Wide(codes[i]) * gain / 1024 + offset);
}

}  // namespace

void mapKelvinFrame(float /*tuning*/, const float* temperatures, uint8_t* image, int32_t width,
                    int32_t height, int32_t contrast, int32_t brightness, float* maxTemp,
                    float* minTemp, bool autoRange) {
    const int32_t n = pixelCount(width, height);
    if (n == 0 || !temperatures || !image || !maxTemp || !minTemp) return;

    const KelvinScale scale =
        endsAbove200(temperatures, n, *maxTemp, autoRange) ? kCoarseScale : kFineScale;

    auto codes = std::make_unique_for_overwrite<uint16_t[]>(size_t(n));
    for (int32_t i = 0; i < n; ++i) codes[i] = toKelvinCode(temperatures[i], scale);
    uint16_t maxCode = toKelvinCode(*maxTemp, scale);
    uint16_t minCode = toKelvinCode(*minTemp, scale);

    mapCodesByPercentile(codes.get(), image, contrast, brightness, width, height, &maxCode,
                         &minCode, autoRange);

    *maxTemp = toCelsius(maxCode, scale);
    *minTemp = toCelsius(minCode, scale);
}

void mapCodesByPercentile(const uint16_t* codes, uint8_t* image, int32_t contrast,
                          int32_t brightness, int32_t width, int32_t height, uint16_t* maxCode,
                          uint16_t* minCode, bool autoRange) {
    const int32_t n = pixelCount(width, height);
    if (n == 0 || !codes || !image || !maxCode || !minCode) return;

    int64_t gain = 0, offset = 0;
    if (autoRange) {
        const CodeScan scan = scanCodes(codes, n, 0, 65535);
        const int32_t lowest = scan.lowest, highest = scan.highest;
        const int64_t mean = scan.sum / n;

        // With a threshold of 0 (under 100 pixels) the limits are the ends of the code
        // range. Otherwise the running totals over the empty bins outside the occupied
        // range stay below it, so counting lowest..highest alone finds the same codes.
        const auto threshold = static_cast<int32_t>(static_cast<float>(n) * 0.01f);
        if (threshold == 0) {
            *minCode = 0;
            *maxCode = 65535;
        } else {
            std::vector<uint32_t> histogram(size_t(highest - lowest) + 1);
            for (int32_t i = 0; i < n; ++i) ++histogram[codes[i] - lowest];
            *minCode = uint16_t(percentileCode(histogram, lowest, lowest, 1, threshold));
            *maxCode = uint16_t(percentileCode(histogram, lowest, highest, -1, threshold));
        }
        // The 1 % and 99 % points never cross, so range >= 1.
        const int32_t range = int32_t(*maxCode) - int32_t(*minCode) + 1;
        // Narrow ranges get a smaller gain: the divisor grows by 2 for every step below 128.
        const int32_t divisor = range >= 128 ? range : range + 2 * (128 - range);
        gain = std::min<int64_t>(int64_t(contrast) * 1024 / divisor, 8192);
        offset = brightness - mean * gain / 1024;
    } else {
        const int32_t lo = *minCode, hi = *maxCode;
        const int32_t range = hi - lo + 1;
        if (range <= 0) {
            std::fill(image, image + n, uint8_t(0));
            return;
        }
        gain = 261120 / range;  // 255 x 1024
        const CodeScan inside = scanCodes(codes, n, lo + 1, hi - 1);
        offset = inside.count != 0
                     ? 128 - inside.sum / inside.count * gain / 1024
                     : int64_t(128.0 - double(int64_t(lo + hi) * gain) * 0.5 / 1024);
    }
    // A one-code window has gain 261120, and 65535 x 261120 needs 35 bits: such gains (and
    // offsets from extreme brightness values) take the 64-bit loop.
    if (std::abs(gain) <= 32768 && std::abs(offset) <= (int64_t(1) << 30)) {
        stretchCodes<int32_t>(codes, image, n, int32_t(gain), int32_t(offset));
    } else {
        stretchCodes<int64_t>(codes, image, n, gain, offset);
    }
}

}  // namespace kmm
