// Linear grey kernels: the gain with a knee, the Q10 stretch, the Q9 display window, and the
// sum of the samples strictly inside a window.
#pragma once

#include <cstdint>

#include "kernels/conversions.h"

namespace kmm {

// Ranges below `below` get the divisor range + slope x (below - range), so a nearly flat
// scene is not stretched into noise; the default never acts.
struct Knee {
    int64_t below = 0;
    int64_t slope = 0;
};

// trunc(numerator / divisor), at most limit, with the divisor of the knee (0 counts as 1).
int64_t gainWithKnee(int64_t numerator, int64_t range, Knee knee, int64_t limit);

// The grey of one sample under a Q10 gain: clamp(trunc(v x gain / 1024) + offset).
constexpr uint8_t linearGrey(int64_t v, int64_t gain, int64_t offset) {
    return clampToByte(v * gain / 1024 + offset);
}

// dst[i] = linearGrey(src[i], gain, offset), the product exact. |gain| < 2^31 and
// |offset| < 2^40 keep every term inside 64 bits.
void stretchLinear(uint8_t* dst, const int16_t* src, int64_t count, int64_t gain,
                   int64_t offset);
void stretchLinear(uint8_t* dst, const uint16_t* src, int64_t count, int64_t gain,
                   int64_t offset);

// The display window low..high (high > low): below low 0, above high 255, in between
// ((v - low) x trunc(130560 / (high - low))) >> 9. 130560 = 255 x 512 is a Q9 scale, and
// truncating it is why a window 1000 wide tops out at 253.
void mapWindowQ9(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low);

struct WindowSum {
    int64_t sum = 0, count = 0;
};

// Sum and number of the samples with low < v < high.
WindowSum sumInside(const int16_t* src, int64_t count, int32_t low, int32_t high);
WindowSum sumInside(const uint16_t* src, int64_t count, int32_t low, int32_t high);

}  // namespace kmm
