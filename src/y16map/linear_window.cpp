// The manual display window of a Y16 frame: the Q9 window kernel, with the two degenerate
// windows of the Y16 display.
#include "y16map/linear_window.h"

#include <algorithm>

#include "kernels/linear.h"

namespace kmm {

void mapLinearWindow(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low) {
    if (high < low) {
        std::fill(dst, dst + count, uint8_t(0));
    } else if (high == low) {
        for (int64_t i = 0; i < count; ++i) dst[i] = src[i] < low ? 0 : 255;
    } else {
        mapWindowQ9(dst, src, count, high, low);
    }
}

}  // namespace kmm
