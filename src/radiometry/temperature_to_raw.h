// Raw counts of a whole temperature matrix.
#pragma once

#include <cstdint>

#include "raw_response.h"

namespace kmm {

// The temperature (degC, float) at which the raw value turns from `count` to count + 1: the
// temperature of count + 0.5. -inf where even absolute zero reads higher, +inf where no
// finite temperature reaches it. Non-decreasing in count.
float countThreshold(const RawResponse& response, int32_t count);

// raw[i] = how many thresholds lie at or below celsius[i] (NaN: 0), that is its raw value
// rounded to the nearest count and saturated, for count pixels; only the thresholds between
// the matrix's lowest and highest finite temperature are evaluated.
void celsiusFrameToRaw(const RawResponse& response, const float* celsius, int32_t count,
                       uint16_t* raw);

// The same from the table of all 65,535 thresholds, one search per pixel: the reference the
// fast path is tested against.
void celsiusFrameToRawReference(const RawResponse& response, const float* celsius,
                                int32_t count, uint16_t* raw);

}  // namespace kmm
