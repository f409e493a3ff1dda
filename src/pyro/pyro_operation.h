// The steps every closed-library operation shares once its context is open: the scene, the
// measurement settings in their record or three-float form, the frame processing, and the
// module's own Y16 offset on the frame copy.
#pragma once

#include "KModuleMeasure.h"
#include "pyro/pyro_context.h"

namespace kmm {

// measure1..measure3 as floats, or the caller's whole record (whose field addresses go to the
// library).
struct MeasureSettings {
    float measure1 = 0.0f;
    float measure2 = 0.0f;
    float measure3 = 0.0f;
    PYRO_MEASUREPARAM* record = nullptr;

    static MeasureSettings of(PYRO_MEASUREPARAM& r) {
        return {r.measure1, r.measure2, r.measure3, &r};
    }
    // measure2 as it stands now (the library may have written the caller's field).
    float currentMeasure2() const { return record != nullptr ? record->measure2 : measure2; }
};

// Steps shared by every operation: nothing unless the instance is open, then base selector 14
// to 0, the scene record (A, B, C) and the measurement settings. False when the operation
// must end here with its outputs untouched.
bool beginOperation(PyroContext& ctx, const MeasureSettings& settings);

// The frame copy's length in bytes, as the library takes it.
int32_t frameBytes(const PyroContext& ctx);

// The parameter line (with scene C only) and ISP on the frame copy.
void processFrame(PyroContext& ctx);

// Adds paramLineOffset, modulo 65536, to the first width x height samples of the frame copy
// when the parameter line's range mode is 1.
void offsetFrame(PyroContext& ctx);

}  // namespace kmm
