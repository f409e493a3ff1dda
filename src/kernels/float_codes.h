// Float frames to 16-bit codes: (t + add) x scale in float, truncated toward zero, then
// either kept in 16 bits (signed codes, the 32-bit value saturated first) or saturated to
// 0..65535 (unsigned codes). NaN gives 0 either way. The per-value forms are the reference;
// the frame forms compute the same bits in vector lanes.
#pragma once

#include <cstdint>

#include "kernels/conversions.h"

namespace kmm {

constexpr int16_t wrappedCode(float t, float add, float scale) {
    return wrapToInt16(saturatingTrunc<int32_t>((t + add) * scale));
}

constexpr uint16_t saturatedCode(float t, float add, float scale) {
    return saturatingTrunc<uint16_t>((t + add) * scale);
}

// The frame forms (count >= 1) also return the largest value by a strict greater-than from
// t[0], so a NaN t[0] comes back as NaN and other NaNs are passed over; which zero of +0 and
// -0 comes back is left open.
float toWrappedCodes(int16_t* codes, const float* t, int64_t count, float add, float scale);
float toSaturatedCodes(uint16_t* codes, const float* t, int64_t count, float add, float scale);

}  // namespace kmm
