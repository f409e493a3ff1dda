// Neighbourhood kernels: the bordered copy of a frame, the 3 x 3 row driver and its row
// operations (the high-pass of the detail layer, the unsharp mask, the Gaussian), the 3 x 3
// Gaussian filter and the range-weighted filter.
#pragma once

#include <cstdint>

namespace kmm {

// Largest window a bordered buffer of (width + 10) x (height + 10) values can serve.
inline constexpr int32_t kMaxWindow = 11;

// Copies the frame into bordered, (width + 2 (a/2)) values a row, with a/2 columns and b/2
// rows of repeated edge values around it (a x b the window), so that a window at the frame's
// edge sees the nearest frame value.
void fillBorder(int16_t* bordered, const int16_t* frame, int32_t width, int32_t height,
                int32_t windowWidth, int32_t windowHeight);

// The 3 x 3 row driver. For each row y in y0..y1-1 it calls
//   rowOp(out + y outStride + x0, up, mid, down, x1 - x0, args...)
// with mid pointing at column x0 of row y of `in` and up, down at the same column one row
// above and below: out[i]'s neighbourhood is up[i-1..i+1], mid[i-1..i+1], down[i-1..i+1].
// The caller keeps every such neighbourhood inside `in`. No columns (x1 <= x0): no calls.
template <class Out, class In, class RowOp, class... Args>
void forEach3x3Row(Out* out, int64_t outStride, const In* in, int64_t inStride, int32_t x0,
                   int32_t x1, int32_t y0, int32_t y1, RowOp&& rowOp, Args&&... args) {
    if (x1 <= x0) return;
    for (int64_t y = y0; y < y1; ++y) {
        const In* mid = in + y * inStride + x0;
        rowOp(out + y * outStride + x0, mid - inStride, mid, mid + inStride, x1 - x0, args...);
    }
}

// The mean of the eight neighbours of mid[x] (the centre left out), shifted right by 3.
template <class T>
inline int32_t neighbourMean(const T* up, const T* mid, const T* down, int32_t x) {
    return (up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x + 1] + down[x - 1] + down[x] +
            down[x + 1]) >> 3;
}

// The high-pass of the detail layer: the centre minus the mean of itself and seven
// neighbours (the lower-right one left out), limited to -limit..limit, limit >= 0.
void highPassRow(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                 int32_t n, int16_t limit);

// Unsharp mask with a Q10 strength s: (c (1024 + s) - m s) >> 10, clamped to 0..255, m the
// mean (shifted right by 3) of the eight neighbours. |s| <= 2^20 keeps it in 32 bits.
void unsharpRow(uint8_t* out, const uint8_t* up, const uint8_t* mid, const uint8_t* down,
                int32_t n, int32_t strength);

// Nine Q12 weights, row-major from the upper left, times the neighbourhood; the 32-bit sum
// shifted right by 12 (toward minus infinity) and kept in 16 bits.
void gaussianRow(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                 int32_t n, const uint32_t* kernel);

// The 3 x 3 Gaussian filter with edge values repeated outward. out and in do not overlap.
void gaussianFilter3x3(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                       const uint32_t* kernel);

// Weighted mean of the a x b window (1 <= a, b <= kMaxWindow) around each pixel, each value
// weighted by table[min(|centre - value|, 511)] (Q12, at most 4096) and no spatial weight, so
// edges stronger than a few sigma survive; a pixel whose weights are all 0 keeps its value.
// meanWeight, when not null, receives the weight sum over the window's pixel count (Q12:
// 4096 where the window is flat). bordered holds (width + a - 1) x (height + b - 1) values.
void rangeWeightedFilter(int16_t* out, uint16_t* meanWeight, const int16_t* in, int32_t width,
                         int32_t height, const uint32_t* table, int32_t windowWidth,
                         int32_t windowHeight, int16_t* bordered);

}  // namespace kmm
