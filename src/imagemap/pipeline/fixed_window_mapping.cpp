// Mode 3, the fixed window: a caller-given code range mapped with a gain in Q10; and its
// window-centred form, which maps the base layer of the detail-enhanced mapping.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "kernels/linear.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

template <class Int>
KMM_SIMD_BODY void windowCentredBody(uint8_t* __restrict out, const int16_t* __restrict in,
                                     int64_t count, int16_t high, int16_t low, Int gain, Int start,
                                     uint8_t top) {
    // Below the window the clamped value maps to the bottom by itself; above it, the
    // truncated gain may fall short of the top, so the top is set.
    for (int64_t i = 0; i < count; ++i) {
        const int16_t v = in[i];
        const int16_t inside = std::min(std::max(v, low), high);
        const uint8_t mapped = clampToByte(((Int(inside) - low) * gain >> 9) + start);
        out[i] = v > high ? top : mapped;
    }
}

}  // namespace

void mapFixedWindow(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                    int16_t high, int16_t low, bool narrow) {
    // A window narrower than cap codes is padded as if it were wider (factor codes of
    // padding per missing code), so a tiny window does not blow single codes up to white.
    const Knee padding = narrow ? Knee{64, 16} : Knee{128, 8};
    const int32_t span = int32_t(high) - low + 1;
    // 255 x 2048, not 255 x 1024: a full-width window spans 510 levels from low, so its
    // upper half saturates.
    const int64_t gain = gainWithKnee(522240, span, padding, 4096);
    stretchLinear(out, in, int64_t(width) * height, gain, -(low * gain / 1024));
}

void mapWindowCentred(uint8_t* out, const int16_t* in, int64_t count, int16_t high,
                      int16_t low, uint32_t centre, uint32_t width) {
    const int64_t half = width >> 1;
    const int64_t start = int64_t(centre) - half;
    const uint8_t top = clampToByte(int64_t(centre) + half);
    const int32_t span = int32_t(high) - low;
    if (span <= 0) {
        const uint8_t bottom = clampToByte(start);
        for (int64_t i = 0; i < count; ++i) out[i] = in[i] < low ? bottom : top;
        return;
    }
    // Q10 gain shifted by 9: the window spans 2 x half levels from the bottom.
    const int64_t gain = half * 1024 / span;
    // Inside the window v - low <= span, so the product stays below 2^16 x gain. The start, a
    // 32-bit unsigned centre less half a 32-bit unsigned width, is above -2^31: only its top
    // needs a bound.
    if (gain < (int64_t(1) << 15) && start < (int64_t(1) << 30)) {
        dispatchSimd<windowCentredBody<int32_t>>(out, in, count, high, low, int32_t(gain),
                                                 int32_t(start), top);
    } else {
        windowCentredBody<int64_t>(out, in, count, high, low, gain, start, top);
    }
}

}  // namespace kmm
