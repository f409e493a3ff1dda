// Temperature correction for changed emissivity, target distance and reflected temperature:
// the short-range path (narrow table) and the full-range path (wide table, device record).
#pragma once

#include "KModuleMeasure.h"

namespace kmm {

struct CorrectionConditions {
    float oldEmissivity, newEmissivity;
    float oldDistance, newDistance;
    float oldReflectedTemp, newReflectedTemp;
};

// Narrow table, fixed distance model; reads only record.compMode; ignores newReflectedTemp.
float correctShortRange(float celsius, const CorrectionConditions& c, int32_t compMode);
// Wide table, the record's distance model, with the record's own correction taken out first
// and put back last. unitEmissivity replaces the record's emissivity by 1.0 (fire models).
float correctFullRange(float celsius, const CorrectionConditions& c,
                       const DeviceCorrectionParam& record, bool unitEmissivity);

}  // namespace kmm
