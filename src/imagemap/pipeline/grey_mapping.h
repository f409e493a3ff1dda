// Shared pieces of the grey mapping modes: the equalised grey of a running sum, the blend of
// the mixed mapping, and the mappings that need no object state (fixed window, and the
// window-centred mapping of the detail-enhanced mapping).
#pragma once

#include <cstdint>

#include "kernels/conversions.h"

namespace kmm {

// The grey levels added to an equalised level: the range of `range` levels is centred on
// `brightness` (a range of 255 or more is spread from its middle).
constexpr int64_t equalisedBase(int32_t range, uint32_t brightness) {
    const int64_t shift = range < 255 ? 128 - range / 2 : -((range - 255) / 2);
    return -128 + shift + int64_t(brightness);
}

// clamp(cumulative x range / (total + 1) + base), the product and quotient unsigned 32-bit.
// The total is at most 65,536 x 65,535 (16-bit counters), so total + 1 never wraps to 0.
constexpr uint8_t equalisedGrey(uint32_t cumulative, int32_t range, uint32_t total,
                                int64_t base) {
    return clampToByte(int64_t(cumulative * static_cast<uint32_t>(range) / (total + 1u)) + base);
}

// Weight of the linear image in the mixed mapping, from the span of the linear mapping:
// narrow scenes lean on the linear stretch, wide ones on the equalisation.
float mixedLinearWeight(int32_t lastSpan, uint32_t presetTuning);

// The mixed grey of one value from its equalised and linear greys, in single precision.
inline uint8_t mixedGrey(uint8_t equalised, uint8_t linear, float linearWeight) {
    const float blend = static_cast<float>(equalised) * (1.0f - linearWeight) +
                        static_cast<float>(linear) * linearWeight;
    return clampToByte(static_cast<int32_t>(blend));  // both terms >= 0
}

// Fixed window from low to high: windows at least cap codes wide (128, narrow 64) spread
// over 510 grey levels from low, so everything above the window's middle is white;
// narrower windows get a gain limited to 4 grey levels a code.
void mapFixedWindow(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                    int16_t high, int16_t low, bool narrow);

// Window-centred mapping: low..high spans `width` grey levels centred on `centre`; values
// below low give the bottom, above high the top; an empty window (high <= low) gives the
// bottom below low and the top elsewhere.
void mapWindowCentred(uint8_t* out, const int16_t* in, int64_t count, int16_t high,
                      int16_t low, uint32_t centre, uint32_t width);

}  // namespace kmm
