// Whole-factor enlargement of a 16-bit frame by bilinear interpolation in 11-bit fixed point.
#pragma once

#include <cstdint>

namespace kmm {

// The source position of every destination row (or column) of one axis: the two source
// rows it blends and the 11-bit weight (2048 = 1.0) of the second. The last source row has
// no successor: it blends with itself.
struct ResizeTap {
    int32_t first, second, fraction;
};
ResizeTap resizeTap(int64_t index, int32_t sourceLength, int32_t factor);

// Enlarges srcHeight x srcWidth values by factor along both axes into dst, which holds
// (srcHeight * factor) x (srcWidth * factor) values. Needs srcHeight, srcWidth >= 2 and
// factor >= 1. The result is the floor of the weighted mean, except that -32768 becomes
// -32767. Blends each pair of source rows once per destination row, then the columns.
void resizeFrame(int16_t* dst, const int16_t* src, int32_t srcHeight, int32_t srcWidth,
                 int32_t factor);

// The same, one destination pixel at a time from its four source values: the reference
// that resizeFrame is tested against.
void resizeFrameReference(int16_t* dst, const int16_t* src, int32_t srcHeight, int32_t srcWidth,
                          int32_t factor);

}  // namespace kmm
