// The manual display window of a Y16 frame.
#include "y16map/linear_window.h"

#include <algorithm>

namespace kmm {

void mapLinearWindow(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low) {
    if (high < low) {
        std::fill(dst, dst + count, uint8_t(0));
        return;
    }
    if (high == low) {
        for (int64_t i = 0; i < count; ++i) dst[i] = src[i] < low ? 0 : 255;
        return;
    }
    // 130560 = 255 * 512: a Q9 scale. Inside the window (v - low) * scale <= 130560, so the
    // shifted value never exceeds 255.
    const int32_t scale = 130560 / (int32_t(high) - low);
    for (int64_t i = 0; i < count; ++i) {
        const int32_t v = src[i];
        dst[i] = uint8_t(v < low ? 0 : (v > high ? 255 : ((v - low) * scale) >> 9));
    }
}

}  // namespace kmm
