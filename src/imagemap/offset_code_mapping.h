// Offset-code grey mapping: signed 16-bit codes (T - 50 degC) x k, mapped either by a
// smoothed, plateau-equalised automatic range or by a plain linear window.
#pragma once

#include <cstdint>

namespace kmm {

// Fills nine Q12 weights (row-major 3 x 3, top row first) of a Gaussian whose width grows
// with sigma; sigma 5 gives 49 351 49 / 351 2494 351 / 49 351 49, sigma 1 the identity.
// Any sigma is safe (the width never reaches zero); a null kernel is left alone.
void buildSmoothingKernel(int32_t kernel[9], int32_t sigma);

// Automatic mapping: smooths codes with kernel (edge pixels repeated), equalises the smoothed
// frame between its 0.1 % and 99.9 % points (lowDiscard/highDiscard per mille) blended with
// a linear stretch, adds detailGain x the clamped detail layer, and writes the smoothed range
// it chose to *maxCode and *minCode.
// Choices of ours:
//  - width <= 0, height <= 0, width x height beyond 32 bits, or a null pointer: nothing is
//    read or written.
//  - Kernel weights outside 0..4096 are clamped to it (buildSmoothingKernel never makes
//    them), which keeps the smoothing sums exact in 32 bits.
//  - Histogram counters saturate at 65535 (frames with more pixels on one smoothed code are
//    common at 640 x 512). A saturated bin alone still reaches the discard count as long as
//    N x discard / 1000 <= 65535 (65 million pixels at 1 per mille), so the range is the one
//    exact counts give; the cumulative table caps every count at the plateau anyway.
//  - total = 0 (possible only with plateau < 4 on a range below 128) gives the equalised term
//    its base level instead of dividing by zero.
//  - The linear and equalised terms saturate to 16 bits, so codes far outside the chosen
//    range show as black or white instead of wrapping to a wrong grey.
//  - The detail term is formed in 64 bits, so any detailGain is safe.
void mapOffsetCodesAuto(uint8_t* image, const int16_t* codes, int32_t width, int32_t height,
                        int16_t* maxCode, int16_t* minCode, int32_t detailGain,
                        uint8_t detailClamp, const int32_t kernel[9], int32_t contrast,
                        int32_t brightness, int32_t rangeKnee, int32_t spanLimit,
                        int32_t equaliseCentre, int32_t plateau, int32_t highDiscard,
                        int32_t lowDiscard);

// Linear window: codes below lowCode are 0, above highCode 255, in between a ramp in steps
// of trunc(130560 / (highCode - lowCode)) / 512. Returns false, with an all-black image,
// when highCode <= lowCode.
// Choice of ours: width <= 0, height <= 0, width x height beyond 32 bits, or a null pointer:
// nothing is written and the result is false.
bool mapOffsetCodesWindow(uint8_t* image, const int16_t* codes, int32_t width, int32_t height,
                          int16_t highCode, int16_t lowCode);

}  // namespace kmm
