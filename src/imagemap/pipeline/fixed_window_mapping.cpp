// Mode 3, the fixed window: a caller-given code range mapped with a gain in Q10.
#include <algorithm>

#include "common/numeric.h"
#include "imagemap/pipeline/grey_mapping.h"

namespace kmm {

void mapFixedWindow(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                    int16_t high, int16_t low, bool narrow) {
    const int64_t count = int64_t(width) * height;
    if (count <= 0) return;
    // A window narrower than cap codes is padded as if it were wider (factor codes of
    // padding per missing code), so a tiny window does not blow single codes up to white.
    const int32_t cap = narrow ? 64 : 128;
    const int32_t factor = narrow ? 16 : 8;
    const int32_t span = int32_t(high) - low + 1;
    int32_t divisor = span < cap ? (cap - span) * factor + span : span;
    if (divisor == 0) divisor = 1;
    // 255 x 2048, not 255 x 1024: a full-width window spans 510 levels from low, so its
    // upper half saturates.
    const int32_t gain = std::min(522240 / divisor, 4096);
    const int32_t lowLevel = low * gain / 1024;
    for (int64_t i = 0; i < count; ++i) out[i] = clampToByte(in[i] * gain / 1024 - lowLevel);
}

}  // namespace kmm
