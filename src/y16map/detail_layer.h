// The detail layer of the AGC display paths: a high-pass of the Y16 frame, the centre
// minus a weighted mean of its neighbourhood, with its own kernel at each border and corner.
#pragma once

#include <cstdint>

namespace kmm {

// Fills width * height detail values. Interior values are clamped to -20..20; border and
// corner values are not (they keep the low 16 bits). Frames narrower or shorter than 3
// pixels, which no kernel fits, get a zero layer.
void computeDetailLayer(int16_t* detail, const int16_t* src, int32_t width, int32_t height);

}  // namespace kmm
