// The mirror stage: left-right, top-bottom, or both.
#include <algorithm>

#include "imagemap/pipeline/pipeline_stages.h"

namespace kmm {

bool mirrorFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height, uint32_t mode) {
    const int64_t w = width;
    const int64_t count = w * height;
    switch (mode) {
        case 0:
            for (int64_t y = 0; y < height; ++y) std::reverse_copy(in + y * w, in + (y + 1) * w, out + y * w);
            return true;
        case 1:
            for (int64_t y = 0; y < height; ++y) std::copy_n(in + y * w, w, out + (height - 1 - y) * w);
            return true;
        case 2:
            std::reverse_copy(in, in + count, out);
            return true;
        default:
            return false;  // the frame stays as it is
    }
}

}  // namespace kmm
