// The brightness/contrast stage: greys spread by gain / 128 around the image mean, which then
// moves by brightness - 128.
#include <array>
#include <cstddef>

#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"

namespace kmm {

void adjustContrast(uint8_t* image, int64_t count, uint32_t gain, uint32_t brightness) {
    // The mean is a float sum in pixel order: past 2^24 the sum rounds, and the result with it.
    float sum = 0.0f;
    for (int64_t i = 0; i < count; ++i) sum += static_cast<float>(image[i]);
    const int64_t mean = saturatingTrunc<int32_t>(sum / static_cast<float>(count) + 0.5f);
    std::array<uint8_t, 256> table;
    for (int64_t g = 0; g < 256; ++g) {
        table[size_t(g)] = clampToByte(int64_t(brightness) - 128 + (g - mean) * gain / 128 + mean);
    }
    for (int64_t i = 0; i < count; ++i) image[i] = table[image[i]];
}

}  // namespace kmm
