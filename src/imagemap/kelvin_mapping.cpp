// Kelvin-code grey mapping: scale choice, code conversion, percentile stretch, write-back.
#include "imagemap/kelvin_mapping.h"

namespace kmm {

void mapKelvinFrame(float, const float*, uint8_t*, int32_t, int32_t, int32_t, int32_t, float*,
                    float*, bool) {}

void mapCodesByPercentile(const uint16_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t,
                          uint16_t*, uint16_t*, bool) {}

}  // namespace kmm
