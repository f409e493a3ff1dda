// Y16 from a temperature through the closed library, corrected by the module's own
// paramLineOffset: the three-float form (with the fire list's shortcut) and the record form.
#pragma once

#include "pyro/pyro_operation.h"
#include "registry/model_registry.h"

namespace kmm {

// Writes the Y16 of temperature (degC) to *y16Out; nothing when no instance is open or the
// scene is refused. Fire-list models get the library's value straight away; the standard list
// in range mode 1 gets it minus paramLineOffset, modulo 65536.
void y16FromTemperature(PyroContext& ctx, const ModelTraits& model, float temperature,
                        int16_t* y16Out, float measure1, float measure2, float measure3);

// The same with the caller's record: no fire-list shortcut, and the offset is subtracted for
// the standard list, DV34 and DV34-W in range mode 1.
void y16FromTemperatureRecord(PyroContext& ctx, const ModelTraits& model, float temperature,
                              int16_t* y16Out, PYRO_MEASUREPARAM& measure);

}  // namespace kmm
