// Whole-factor enlargement of a 16-bit frame by bilinear interpolation in 11-bit fixed point.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/frame_view.h"
#include "kernels/streaming_copy.h"

namespace kmm {

// The source position of every destination row (or column) of one axis: the two source
// rows it blends and the 11-bit weight (2048 = 1.0) of the second. The last source row has
// no successor: it blends with itself.
struct ResizeTap {
    int32_t first, second, fraction;
};
ResizeTap resizeTap(int64_t index, int32_t sourceLength, int32_t factor);

// Enlarges the frame by factor along both axes into dst, which holds (height * factor) x
// (width * factor) values. Needs width, height >= 2 and both enlarged sides within 32 bits.
// The result is the floor of the weighted mean of the four source values, except that
// -32768 becomes -32767. A x2 result of streamingFrom bytes or more streams its rows out past
// the caches.
void resizeFrame(int16_t* dst, FrameView<const int16_t> src, int32_t factor,
                 size_t streamingFrom = streamingThreshold());

}  // namespace kmm
