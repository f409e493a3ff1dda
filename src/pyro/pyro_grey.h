// The grey image through the closed library: the display window found by the library from
// the data (the measured temperature range reported back) or given as a temperature range.
#pragma once

#include "pyro/pyro_operation.h"
#include "registry/model_registry.h"

namespace kmm {

struct GreyRequest {
    uint8_t* dst;      // width x height bytes
    float* maxTemp;    // out with autoRange, in otherwise (degC)
    float* minTemp;
    bool autoRange;
};

// callerFrame is the caller's y16Data (its first sample seeds the Y16 window). Without a
// measured range or both converted ends (no instance, or the scene refused) nothing is
// written; a declined window or an absent scene C leaves the image, and the measured range is
// still reported.
void greyMapping(PyroContext& ctx, const ModelTraits& model, const uint16_t* callerFrame,
                 const GreyRequest& request, const MeasureSettings& settings);

}  // namespace kmm
