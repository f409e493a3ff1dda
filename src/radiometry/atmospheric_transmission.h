// Transmission of the air between object and camera by the two-band model.
#pragma once

#include "KModuleMeasureRadiometry.h"

namespace kmm {

// The model's value for the scene's distance, humidity and atmosphere temperature, not
// capped: it can exceed 1 or fall to 0 and below outside the conditions it was fitted to.
double atmosphericTransmission(const kmm_radiometric_scene& scene);

}  // namespace kmm
