// Offset-code grey mapping: smoothing kernel, automatic plateau-equalised mapping, window.
#include "imagemap/offset_code_mapping.h"

namespace kmm {

void buildSmoothingKernel(int32_t[9], int32_t) {}

void mapOffsetCodesAuto(uint8_t*, const int16_t*, int32_t, int32_t, int16_t*, int16_t*, int32_t,
                        uint8_t, const int32_t[9], int32_t, int32_t, int32_t, int32_t, int32_t,
                        int32_t, int32_t, int32_t) {}

bool mapOffsetCodesWindow(uint8_t*, const int16_t*, int32_t, int32_t, int16_t, int16_t) {
    return false;
}

}  // namespace kmm
