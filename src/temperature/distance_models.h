// The two distance models of the temperature correction: the fixed quadratic of the
// short-range models (two coefficient sets, float) and the device record's quadratic on a
// Kelvin-like scale (double).
#pragma once

#include "KModuleMeasure.h"

namespace kmm {

// Short-range model, coefficient set 0 or 1; both directions are neutral at distance 1.5.
float applyShortRangeDistance(float celsius, float distance, int coefficientSet);
float removeShortRangeDistance(float celsius, float distance, int coefficientSet);

// Device record model. remove is skipped for distances of 0 or below.
float applyRecordDistance(float celsius, float distance, const DeviceCorrectionParam& record);
float removeRecordDistance(float celsius, float distance, const DeviceCorrectionParam& record);

}  // namespace kmm
