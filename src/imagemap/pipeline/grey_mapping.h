// Shared pieces of the grey mapping modes: the blend weight of the mixed mapping, and the
// fixed-window mapping, which needs no object state.
#pragma once

#include <cstdint>

namespace kmm {

// Weight of the linear image in the mixed mapping, from the span of the linear mapping:
// narrow scenes lean on the linear stretch, wide ones on the equalisation.
float mixedLinearWeight(int32_t lastSpan, uint32_t presetTuning);

// Fixed window from low to high: windows at least cap codes wide (128, narrow 64) spread
// over 510 grey levels from low, so everything above the window's middle is white;
// narrower windows get a gain limited to 4 grey levels a code.
void mapFixedWindow(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                    int16_t high, int16_t low, bool narrow);

}  // namespace kmm
