// The range-weighted smoothing filter: a window mean weighted only by each value's
// difference from the centre value.
#include <cstdlib>

#include "common/numeric.h"
#include "imagemap/pipeline/neighbourhood_filters.h"

namespace kmm {

bool rangeWeightedFilter(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                         std::span<const uint32_t, 512> table, int32_t windowWidth,
                         int32_t windowHeight, int16_t* bordered) {
    if (windowWidth < 1 || windowHeight < 1 || windowWidth > kMaxWindow ||
        windowHeight > kMaxWindow) {
        return false;
    }
    fillBorder(bordered, in, width, height, windowWidth, windowHeight);
    const int64_t stride = int64_t(width) + 2 * (windowWidth / 2);
    for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
            const int32_t centre = in[y * width + x];
            int64_t weightSum = 0;
            int64_t valueSum = 0;
            for (int64_t wy = 0; wy < windowHeight; ++wy) {
                const int16_t* row = bordered + (y + wy) * stride + x;
                for (int64_t wx = 0; wx < windowWidth; ++wx) {
                    const int32_t v = row[wx];
                    const int32_t difference = std::abs(centre - v);
                    const uint32_t weight = table[difference < 511 ? difference : 511];
                    weightSum += weight;
                    // The weight x value product is 32-bit; written unsigned so that its
                    // wrap (impossible with tables of at most 4096) stays defined.
                    valueSum += static_cast<int32_t>(weight * static_cast<uint32_t>(v));
                }
            }
            out[y * width + x] =
                weightSum > 0 ? wrapToInt16(valueSum / weightSum) : static_cast<int16_t>(centre);
        }
    }
    return true;
}

}  // namespace kmm
