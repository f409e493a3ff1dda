// The pipeline family of the temperature-matrix mapping (DV07, DV08): the temperatures become
// 0.05 degC codes and run through an ImagePipeline configured for a grey image.
#pragma once

#include <cstdint>

#include "common/frame_view.h"

namespace kmm {

// Writes the grey image of the matrix (as many bytes as it has values) and hands back the
// range used, quantised to the codes toward zero: with autoRange the matrix's own extremes,
// else the caller's maxTemp and minTemp. tuning 150 is the standard tuning, anything else
// (NaN included) the fine one. A value that is not finite stops it: false, with the image
// perhaps partly written and the range untouched. May throw std::bad_alloc.
bool mapByPipeline(float tuning, FrameView<const float> frame, uint8_t* image, float& maxTemp,
                   float& minTemp, bool autoRange);

}  // namespace kmm
