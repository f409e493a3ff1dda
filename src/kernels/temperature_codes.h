// Temperature matrices into 16-bit codes: the scale-and-truncate conversion in vector lanes, in
// one pass that also finds the matrix's extremes.
#pragma once

#include <cstdint>

namespace kmm {

struct FloatExtremes {
    float smallest, largest;
};

// out[i] = wrapToInt16(saturatingTrunc<int32_t>(in[i] x scale)), the product in single
// precision (NaN gives 0, products beyond the 32-bit range its nearest end before the wrap),
// and the extremes of the count >= 1 values (of -0 and +0 either may be reported, which no
// code tells apart). The values are ordered by their bits, which puts NaN beyond the
// infinities: every value is finite exactly when both ends are.
FloatExtremes scaledCodesWithExtremes(int16_t* out, const float* in, int64_t count, float scale);

}  // namespace kmm
