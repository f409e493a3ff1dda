// Unsharp mask on the grey image of the full-resolution AGC.
#include "y16map/sharpen_grey.h"

#include <algorithm>

#include "common/numeric.h"

namespace kmm {

void sharpenGrey(uint8_t* dst, const uint8_t* grey, int32_t width, int32_t height, float strength) {
    const int32_t kS = saturatingTrunc<int32_t>(double(strength) * 1024.0);
    std::copy(grey, grey + int64_t(width) * height, dst);
    if (height <= 2) return;
    // Bytes times a Q10 strength of at most 1000.0 stay inside 32 bits.
    const int32_t centreWeight = 1024 + kS;
    for (int32_t y = 1; y < height - 1; ++y) {
        const uint8_t* up = grey + int64_t(y - 1) * width;
        const uint8_t* mid = up + width;
        const uint8_t* down = mid + width;
        uint8_t* out = dst + int64_t(y) * width;
        for (int32_t x = 1; x < width - 1; ++x) {
            const int32_t m = (up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x + 1] +
                               down[x - 1] + down[x] + down[x + 1]) >> 3;
            out[x] = clampToByte((mid[x] * centreWeight - m * kS) >> 10);
        }
    }
}

}  // namespace kmm
