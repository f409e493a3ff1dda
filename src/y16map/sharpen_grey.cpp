// Unsharp mask on the grey image of the full-resolution AGC.
#include "y16map/sharpen_grey.h"

#include <algorithm>

#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"

namespace kmm {

void sharpenGrey(uint8_t* dst, const uint8_t* grey, int32_t width, int32_t height, float strength) {
    const int32_t kS = saturatingTrunc<int32_t>(double(strength) * 1024.0);
    std::copy(grey, grey + int64_t(width) * height, dst);
    forEach3x3Row(dst, width, grey, width, 1, width - 1, 1, height - 1, unsharpRow, kS);
}

}  // namespace kmm
