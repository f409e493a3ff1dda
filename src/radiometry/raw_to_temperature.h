// Temperatures of a whole frame of raw counts.
#pragma once

#include <cstdint>

#include "raw_response.h"

namespace kmm {

// The temperature (degC, float) of one count, the value every pixel holding it gets.
float celsiusOfCount(const RawResponse& response, uint16_t count);

// celsius[i] = celsiusOfCount(raw[i]) for count pixels, through a table over the counts the
// frame holds.
void rawFrameToCelsius(const RawResponse& response, const uint16_t* raw, int32_t count,
                       float* celsius);

// The same, one evaluation per pixel: the reference the table is tested against.
void rawFrameToCelsiusReference(const RawResponse& response, const uint16_t* raw,
                                int32_t count, float* celsius);

}  // namespace kmm
