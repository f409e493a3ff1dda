// Raw frame to temperatures. A count has one temperature whatever pixel holds it, so each
// occupied count is evaluated once (a logarithm and three divisions) into a table spanning the
// frame's lowest to highest count, and the pixels only look it up.
#include "raw_to_temperature.h"

#include <algorithm>
#include <vector>

namespace kmm {

float celsiusOfCount(const RawResponse& response, uint16_t count) {
    return static_cast<float>(objectCelsius(response, count));
}

void rawFrameToCelsius(const RawResponse& response, const uint16_t* raw, int32_t count,
                       float* celsius) {
    uint16_t lowest = UINT16_MAX, highest = 0;
    for (int32_t i = 0; i < count; ++i) {
        lowest = std::min(lowest, raw[i]);
        highest = std::max(highest, raw[i]);
    }
    const int32_t first = lowest;
    const int32_t span = highest - first + 1;
    // A small frame spread over many counts is cheaper pixel by pixel.
    if (span > count) return rawFrameToCelsiusReference(response, raw, count, celsius);
    std::vector<float> table(static_cast<size_t>(span));
    for (int32_t k = 0; k < span; ++k) table[size_t(k)] = celsiusOfCount(response, uint16_t(first + k));
    for (int32_t i = 0; i < count; ++i) celsius[i] = table[size_t(raw[i] - first)];
}

void rawFrameToCelsiusReference(const RawResponse& response, const uint16_t* raw,
                                int32_t count, float* celsius) {
    for (int32_t i = 0; i < count; ++i) celsius[i] = celsiusOfCount(response, raw[i]);
}

}  // namespace kmm
