// The bordered frame and the two neighbourhood filters built on it: the 3 x 3 Gaussian and
// the range-weighted filter. The bordered buffer holds at most 5 pixels on each side.
#pragma once

#include <cstdint>
#include <span>

namespace kmm {

// Largest window the (width + 10) x (height + 10) bordered buffer can serve.
inline constexpr int32_t kMaxWindow = 11;

// Copies the frame into bordered, (width + 2 (a/2)) values a row, with a/2 columns and
// b/2 rows of repeated edge values around it.
void fillBorder(int16_t* bordered, const int16_t* frame, int32_t width, int32_t height,
                int32_t windowWidth, int32_t windowHeight);

// 3 x 3 Gaussian with a Q12 kernel (its first nine entries, row-major); the sum is shifted
// right by 12, so it rounds toward minus infinity. Returns false, writing nothing, for a
// window other than 3.
bool gaussianFilter(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                    int32_t window, std::span<const uint32_t, 512> kernel, int16_t* bordered);

// Weighted mean of the a x b window, each value weighted by the range table at its distance
// from the centre value (no spatial weight, so strong edges survive). Returns false,
// writing nothing, for a window below 1 or above kMaxWindow.
bool rangeWeightedFilter(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                         std::span<const uint32_t, 512> table, int32_t windowWidth,
                         int32_t windowHeight, int16_t* bordered);

}  // namespace kmm
