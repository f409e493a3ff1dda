// Bad-pixel repair: each flagged pixel becomes the median of its good neighbours, in raster
// order and in place, so a pixel repaired earlier lends its new value to the ones after it.
#include <algorithm>

#include "imagemap/pipeline/pipeline_stages.h"

namespace kmm {

void repairBadPixels(int16_t* frame, const uint16_t* gain, int32_t width, int32_t height) {
    const auto bad = [gain](int64_t i) { return (gain[i] & 0x8000u) != 0; };
    for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
            if (!bad(y * width + x)) continue;
            int16_t values[8];
            int32_t count = 0;
            for (int64_t ny = std::max<int64_t>(y - 1, 0); ny <= std::min<int64_t>(y + 1, height - 1); ++ny) {
                for (int64_t nx = std::max<int64_t>(x - 1, 0); nx <= std::min<int64_t>(x + 1, width - 1); ++nx) {
                    const int64_t j = ny * width + nx;
                    if (!bad(j)) values[count++] = frame[j];  // the pixel itself is bad
                }
            }
            if (count == 0) continue;
            for (int32_t i = 1; i < count; ++i) {  // descending; at most eight values
                const int16_t v = values[i];
                int32_t j = i;
                for (; j > 0 && values[j - 1] < v; --j) values[j] = values[j - 1];
                values[j] = v;
            }
            // Each middle value halved before adding: the sum of two could leave 16 bits.
            frame[y * width + x] = count % 2 == 1
                ? values[count / 2]
                : int16_t(values[count / 2 - 1] / 2 + values[count / 2] / 2);
        }
    }
}

}  // namespace kmm
