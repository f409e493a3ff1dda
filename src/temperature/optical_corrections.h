// Emissivity and transmission corrections of the calibration-curve temperatures: applied to a
// blended curve temperature, and taken back off a target temperature before its Y16 lookup.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"

namespace kmm {

// Object temperature behind the blended apparent temperature t (degC): the emissivity
// polynomial (types 0, 1, 3) or the wide signal table's inverse blend (type 2), then the
// transmission, each only where its enable flag and its range allow.
float correctForOptics(float t, const MeasureState& state, const ParaConfig& config,
                       int32_t curveType);

// The inverse for curve type 0: the apparent temperature the camera sees for object
// temperature t, transmission first, then the emissivity polynomial solved for T.
float apparentForOptics(float t, const MeasureState& state, const ParaConfig& config);

}  // namespace kmm
