// Flat-field correction: the raw frame less the dark frame, times each pixel's gain in Q13.
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"

namespace kmm {

void correctFlatField(int16_t* out, const uint16_t* raw, const uint16_t* dark,
                      const uint16_t* gain, int64_t count) {
    for (int64_t i = 0; i < count; ++i) {
        // The top bit of the gain marks a bad pixel, not gain. 65,535 x 32,767 still fits
        // the 32-bit product.
        const int32_t difference = int32_t(raw[i]) - int32_t(dark[i]);
        out[i] = wrapToInt16(difference * int32_t(gain[i] & 0x7FFF) / 8192);
    }
}

}  // namespace kmm
