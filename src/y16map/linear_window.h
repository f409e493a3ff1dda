// The manual display window of a Y16 frame: a linear map of low..high onto 0..255.
#pragma once

#include <cstdint>

namespace kmm {

// Maps count Y16 values onto grey: below low black, above high white, in between linear
// with a Q9 scale of 255 / (high - low) truncated, so a wide window's top may stay below 255.
// high < low gives black; high == low a two-level image (255 from low upward).
void mapLinearWindow(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low);

}  // namespace kmm
