// The temperature operations through the closed library: a whole matrix and the temperature
// of one Y16 value.
#pragma once

#include "pyro/pyro_operation.h"
#include "registry/model_registry.h"

namespace kmm {

// Writes width x height temperatures (degC); nothing when no instance is open or the scene is
// refused. The frame copy gets paramLineOffset after ISP for the models that take it. True
// when the library was asked to measure.
bool measureMatrix(PyroContext& ctx, const ModelTraits& model, float* temperatures,
                   const MeasureSettings& settings);

// Writes one temperature (degC) for y16; nothing when no instance is open or the scene is
// refused.
void measurePoint(PyroContext& ctx, const ModelTraits& model, uint16_t y16, float* temperature,
                  const MeasureSettings& settings, float pointExtra);

}  // namespace kmm
