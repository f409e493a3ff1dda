// Y16 from a temperature through the four calibration curves: each curve looked up, its
// offset, ambient and drift terms and gain taken off, the four answers blended.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"

namespace kmm {

// curves holds four curves of curveLength (>= 1) entries each; curveType must be 0..3.
// Type 0 first takes the transmission and emissivity corrections off the temperature.
int32_t y16FromTemperature(float temperature, const uint16_t* curves, int32_t curveLength,
                           bool high, const MeasureState& state, const ParaConfig& config,
                           int32_t curveType);

}  // namespace kmm
