// The histogram and percentile scan shared by the linear and equalised mappings: the mean,
// the cut points at the percentile and the extreme points at 0.001 % from either end.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {

std::optional<PercentileScan> ImagePipeline::scanHistogram(const int16_t* in, int32_t width,
                                                           int32_t height,
                                                           uint32_t percentile) {
    const int64_t pixels = int64_t(width) * height;
    uint16_t* histogram = buffers_.histogram.get();
    if (pixels <= 0 || pixels > INT32_MAX || !histogram) return std::nullopt;
    const auto count = static_cast<int32_t>(pixels);
    std::fill_n(histogram, kHistogramBins, uint16_t{0});
    int64_t sum = 0;
    int32_t minValue = INT16_MAX;
    int32_t maxValue = INT16_MIN;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t bin = histogramBin(in[i], histogramOffset);
        if (histogram[bin] != 0xFFFF) ++histogram[bin];  // counts stop at 65,535
        sum += bin;
        minValue = std::min<int32_t>(minValue, in[i]);
        maxValue = std::max<int32_t>(maxValue, in[i]);
    }
    PercentileScan scan{};
    scan.count = count;
    scan.minValue = minValue;
    scan.maxValue = maxValue;
    // Bins grow with the value, so the frame's extremes bound the occupied bins.
    const int32_t firstBin = histogramBin(minValue, histogramOffset);
    const int32_t lastBin = histogramBin(maxValue, histogramOffset);
    scan.firstBin = firstBin;
    scan.lastBin = lastBin;
    scan.mean = static_cast<int32_t>(sum / count - histogramOffset);

    const uint32_t extremeCount = static_cast<uint32_t>(count / 100000);
    const uint32_t cutCount = static_cast<uint32_t>(count) * percentile / 1000;  // 32-bit product
    // Bins outside firstBin..lastBin are empty and can never be a cut point, so the scans
    // start at the occupied range.
    int32_t extremeLow = kHistogramBins, low = kHistogramBins;  // "not found"
    uint32_t total = 0;
    for (int32_t bin = firstBin; bin <= lastBin; ++bin) {
        total += histogram[bin];
        if (histogram[bin] == 0) continue;
        if (extremeLow == kHistogramBins && total >= extremeCount) extremeLow = bin;
        if (total >= cutCount) {
            low = bin;
            break;
        }
    }
    int32_t extremeHigh = 0, high = 0;  // "not found"
    bool extremeHighFound = false;
    total = 0;
    for (int32_t bin = lastBin; bin >= firstBin; --bin) {
        total += histogram[bin];
        if (histogram[bin] == 0) continue;
        if (!extremeHighFound && total >= extremeCount) {
            extremeHigh = bin;
            extremeHighFound = true;
        }
        if (total >= cutCount) {
            high = bin;
            break;
        }
    }
    scan.extremeLow = extremeLow - histogramOffset;
    scan.low = low - histogramOffset;
    scan.extremeHigh = extremeHigh - histogramOffset;
    scan.high = high - histogramOffset;
    return scan;
}

}  // namespace kmm
