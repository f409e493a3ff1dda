// The sharpening stage: each inner pixel pushed away from the mean of its eight neighbours by
// a float amount; the outer border stays as it was.
#include <algorithm>

#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"

namespace kmm {
namespace {

void sharpenRow(uint8_t* out, const uint8_t* up, const uint8_t* mid, const uint8_t* down,
                int32_t n, float amount) {
    const float centreWeight = 1.0f + amount;
    for (int32_t x = 0; x < n; ++x) {
        const int32_t m = neighbourMean(up, mid, down, x);
        const float v = static_cast<float>(mid[x]) * centreWeight - static_cast<float>(m) * amount;
        out[x] = clampToByte(saturatingTrunc<int32_t>(v));  // any amount, NaN included
    }
}

}  // namespace

void sharpenImage(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height, float amount) {
    std::copy_n(src, int64_t(width) * height, dst);
    forEach3x3Row(dst, width, src, width, 1, width - 1, 1, height - 1, sharpenRow, amount);
}

}  // namespace kmm
