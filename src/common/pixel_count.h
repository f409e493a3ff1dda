// The pixel count of a frame, checked once at the top of every frame operation so that the
// per-pixel loops can use a plain 32-bit signed count.
#pragma once

#include <cstdint>
#include <limits>

namespace kmm {

// width x height, or 0 when either side is not positive or the product does not fit 32 bits.
constexpr int32_t pixelCount(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;
    const int64_t n = int64_t(width) * height;
    return n > std::numeric_limits<int32_t>::max() ? 0 : int32_t(n);
}

}  // namespace kmm
