// The look-up stage: every grey through the object's 256-entry table.
#include "imagemap/pipeline/pipeline_stages.h"

namespace kmm {

void applyLut(uint8_t* image, int64_t count, const uint8_t* lut) {
    for (int64_t i = 0; i < count; ++i) image[i] = lut[image[i]];
}

}  // namespace kmm
