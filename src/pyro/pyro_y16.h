// Y16 from a temperature through the closed library, corrected by the module's own
// paramLineOffset: the three-float form (with the fire list's shortcut) and the record form.
#pragma once

#include "pyro/pyro_operation.h"
#include "registry/model_registry.h"

namespace kmm {

// Writes the Y16 of temperature (degC) to *y16Out and returns true; false, with *y16Out as it
// was, when no instance is open or the scene is refused.
// Three-float settings: fire-list models get the library's value without the frame or
// parameter line; the standard list in range mode 1 gets it minus paramLineOffset, modulo
// 65536. The caller's record: no fire-list shortcut, and the offset is taken off for the
// standard list, DV34 and DV34-W in range mode 1.
bool y16FromTemperature(PyroContext& ctx, const ModelTraits& model, float temperature,
                        int16_t* y16Out, const MeasureSettings& settings);

}  // namespace kmm
