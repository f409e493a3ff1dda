// Temperature from one Y16 value through the four calibration curves of a high or low range:
// the curves evaluated by segment, blended, then corrected for emissivity and transmission.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"

namespace kmm {

// curves holds four curves of curveLength (>= 1) entries each; curveType must be 0..3.
// state is the call's own copy: the curve evaluations may update its drift working fields.
float rangeTemperature(int16_t y16, const uint16_t* curves, int32_t curveLength, bool high,
                       MeasureState state, const ParaConfig& config, int32_t curveType);

}  // namespace kmm
