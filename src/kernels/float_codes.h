// Float frames to 16-bit codes: (t + add) x scale in float, truncated toward zero, then
// either kept in 16 bits (signed codes, the 32-bit value saturated first) or saturated to
// 0..65535 (unsigned codes). NaN gives 0 either way. The per-value forms are the reference;
// the frame forms compute the same bits in vector lanes, in one pass that also finds the
// frame's extremes.
#pragma once

#include <cmath>
#include <cstdint>

#include "kernels/conversions.h"

namespace kmm {

constexpr int16_t wrappedCode(float t, float add, float scale) {
    return wrapToInt16(saturatingTrunc<int32_t>((t + add) * scale));
}

constexpr uint16_t saturatedCode(float t, float add, float scale) {
    return saturatingTrunc<uint16_t>((t + add) * scale);
}

// The extremes of a frame's values, ordered by their bits, which puts NaN beyond the
// infinities (a NaN with the sign bit below -inf, one without above +inf): every value is
// finite exactly when both ends are. Of -0 and +0 either may be reported.
struct FloatExtremes {
    float smallest, largest;
    bool finite() const { return std::isfinite(smallest) && std::isfinite(largest); }
};

// codes[i] = wrappedCode / saturatedCode of t[i], for count >= 1 values, and their extremes.
FloatExtremes toWrappedCodes(int16_t* codes, const float* t, int64_t count, float add, float scale);
FloatExtremes toSaturatedCodes(uint16_t* codes, const float* t, int64_t count, float add,
                               float scale);

}  // namespace kmm
