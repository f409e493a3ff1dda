// The last step of the full-resolution AGC: an unsharp mask on the grey image.
#pragma once

#include <cstdint>

namespace kmm {

// dst = grey, then every interior pixel c becomes c * (1 + s) - m * s (Q10, s = strength),
// m the mean of its eight neighbours; border pixels, and frames with height <= 2 or
// width <= 2, keep the copied values. |strength| <= 1000.
void sharpenGrey(uint8_t* dst, const uint8_t* grey, int32_t width, int32_t height, float strength);

}  // namespace kmm
