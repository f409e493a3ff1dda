// Kelvin-code grey mapping: temperatures become unsigned 16-bit Kelvin codes (0.01 K or
// 0.1 K per unit, chosen per frame) that are stretched linearly between two limits.
#pragma once

#include <cstdint>

#include "common/frame_view.h"
#include "kernels/histogram.h"

namespace kmm {

// Maps a matrix of temperatures (degC) to a grey image of the same size. With autoRange the
// limits are the 1 % and 99 % points of the frame; without it they are maxTemp and minTemp.
// Either way both are rewritten from the codes actually used, so the caller gets the range
// back quantised to the chosen scale. tuning is accepted and unused.
// The scale is fine (0.01 K) unless the frame maximum (or, without autoRange, maxTemp)
// exceeds 200.0 degC; then it is coarse (0.1 K, offset 273.1). A temperature that is not
// finite stops it: false, with nothing written (the caller replaces such values first).
// Choices of ours:
//  - A temperature (or limit) whose code falls outside 0..65535 saturates to the nearer end,
//    a NaN limit to 0 (-273.15 degC fine, -273.1 coarse): it shows as black or white, never
//    wraps.
//  - A manual window whose upper code lies below its lower code gives a black image.
//  - Histogram counters are 32 bits, so frames with more than 65535 pixels of one code
//    give their true percentiles.
//  - Code x gain is formed in 64 bits, so a very narrow manual window stays a steep ramp
//    (black below, white above) instead of wrapping.
bool mapKelvinFrame(float tuning, FrameView<const float> temperatures, uint8_t* image,
                    int32_t contrast, int32_t brightness, float& maxTemp, float& minTemp,
                    bool autoRange);

// Linear stretch of Kelvin codes between minCode and maxCode. With autoRange the two are
// first set to the 1 % / 99 % points (counted in histogram, which only autoRange needs, and
// then not null) and the gain comes from contrast and the frame mean lands on brightness;
// without it the gain spans 0..255 over the window and the mean of the pixels strictly
// inside the window (or the window's middle) lands on 128. Same choices as mapKelvinFrame.
void mapCodesByPercentile(FrameView<const uint16_t> codes, uint8_t* image, int32_t contrast,
                          int32_t brightness, uint16_t& maxCode, uint16_t& minCode,
                          bool autoRange, Histogram* histogram);

}  // namespace kmm
