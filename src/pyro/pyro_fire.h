// The fire colour image through the closed library's adaptive DRC: a preset window per
// fireMode, the measured centre temperature, and the centre pixel's level on the fire scale.
#pragma once

#include "pyro/pyro_operation.h"
#include "registry/model_registry.h"

namespace kmm {

struct FireRequest {
    uint8_t* dst;  // width x height pixels in the library's layout
    float* maxTemp;
    float* minTemp;
    float* level;
    int fireMode;
    int drcSetIndex;
    int drcParam1, drcParam2, drcParam3, drcParam4;
};

// callerFrame is the caller's y16Data: the DRC's source and the centre sample of the level.
void fireColourMapping(PyroContext& ctx, const ModelTraits& model, const uint16_t* callerFrame,
                       const FireRequest& request, const MeasureSettings& settings);

}  // namespace kmm
