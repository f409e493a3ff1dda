// The bordered copy of a frame shared by every neighbourhood stage: edge values repeated
// outward, so a window at the image edge sees the nearest frame value.
#include <algorithm>

#include "imagemap/pipeline/neighbourhood_filters.h"

namespace kmm {

void fillBorder(int16_t* bordered, const int16_t* frame, int32_t width, int32_t height,
                int32_t windowWidth, int32_t windowHeight) {
    const int64_t px = windowWidth / 2;
    const int64_t py = windowHeight / 2;
    const int64_t stride = width + 2 * px;
    for (int64_t y = 0; y < height; ++y) {
        const int16_t* src = frame + y * width;
        int16_t* row = bordered + (py + y) * stride;
        std::fill_n(row, px, src[0]);
        std::copy_n(src, width, row + px);
        std::fill_n(row + px + width, px, src[width - 1]);
    }
    const int16_t* first = bordered + py * stride;
    const int16_t* last = bordered + (py + height - 1) * stride;
    for (int64_t y = 0; y < py; ++y) {
        std::copy_n(first, stride, bordered + y * stride);
        std::copy_n(last, stride, bordered + (py + height + y) * stride);
    }
}

}  // namespace kmm
