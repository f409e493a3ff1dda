// The detail layer of the AGC display paths: a high-pass of the Y16 frame, the centre
// minus a weighted mean of its neighbourhood, with its own kernel at each border and corner.
#pragma once

#include <cstdint>

namespace kmm {

// Fills width * height detail values. Interior values are clamped to -20..20; border and
// corner values are not (they keep the low 16 bits). Frames narrower or shorter than 3
// pixels, which no kernel fits, get a zero layer.
void computeDetailLayer(int16_t* detail, const int16_t* src, int32_t width, int32_t height);
// Rows y0..y1-1 of the same layer, into detail[0 .. (y1 - y0) * width).
void computeDetailRows(int16_t* detail, const int16_t* src, int32_t width, int32_t height,
                       int32_t y0, int32_t y1);

}  // namespace kmm
