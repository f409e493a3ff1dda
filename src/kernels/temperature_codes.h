// Temperature matrices into 16-bit codes: the scale-and-truncate conversion in vector lanes,
// and the one pass over a matrix that finds its extremes while it converts.
#pragma once

#include <cstdint>

namespace kmm {

// wrapToInt16(saturatingTrunc<int32_t>(t x scale)) of every t, the product in single
// precision: NaN gives 0, products beyond the 32-bit range its nearest end before the wrap.
void scaledCodes(int16_t* out, const float* in, int64_t count, float scale);

struct FloatExtremes {
    float smallest, largest;
};

// scaledCodes, and the extremes of count >= 1 finite values met on the way (of -0 and +0 either
// may be reported, which no code tells apart).
FloatExtremes scaledCodesWithExtremes(int16_t* out, const float* in, int64_t count,
                                      float scale);

}  // namespace kmm
