// The 3 x 3 Gaussian smoothing filter over the bordered frame, in 32-bit integers.
#include "common/numeric.h"
#include "imagemap/pipeline/neighbourhood_filters.h"

namespace kmm {

bool gaussianFilter(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                    int32_t window, std::span<const uint32_t, 512> kernel, int16_t* bordered) {
    if (window != 3) return false;
    // Every bordered value is written by the fill, so the buffer needs no clearing first.
    fillBorder(bordered, in, width, height, 3, 3);
    const int64_t stride = int64_t(width) + 2;
    // Built kernels never exceed 4096 an entry, so the nine products fit 32 bits; summing in
    // 64 and keeping the low 32 bits gives the same result for those and stays defined for
    // any other table.
    int64_t k[9];
    for (int i = 0; i < 9; ++i) k[i] = kernel[i];
    for (int64_t y = 0; y < height; ++y) {
        const int16_t* above = bordered + y * stride;
        const int16_t* here = above + stride;
        const int16_t* below = here + stride;
        int16_t* dst = out + y * width;
        for (int64_t x = 0; x < width; ++x) {
            const int64_t sum = k[0] * above[x] + k[1] * above[x + 1] + k[2] * above[x + 2] +
                                k[3] * here[x] + k[4] * here[x + 1] + k[5] * here[x + 2] +
                                k[6] * below[x] + k[7] * below[x + 1] + k[8] * below[x + 2];
            dst[x] = wrapToInt16(static_cast<int32_t>(sum) >> 12);
        }
    }
    return true;
}

}  // namespace kmm
