// Matrix and point measurement: the shared opening steps, ISP on the caller's frame as it
// came, then the offset frame (matrix) or the given value (point) measured.
#include "pyro/pyro_measure.h"

#include <algorithm>

namespace kmm {

bool measureMatrix(PyroContext& ctx, const ModelTraits& model, float* temperatures,
                   const MeasureSettings& settings) {
    if (!beginOperation(ctx, settings)) return false;
    processFrame(ctx);
    if (model.pyroMatrixOffset) offsetFrame(ctx);
    const auto w = int32_t(ctx.width), h = int32_t(ctx.height);
    const auto pixels = int32_t(std::min<int64_t>(int64_t(w) * h, INT32_MAX));
    PYRO_MeasureTempMatrix(ctx.handle, ctx.frame.get(), w, h, 0, 0, w, h,
                           settings.currentMeasure2(), 0, temperatures, pixels);
    return true;
}

void measurePoint(PyroContext& ctx, const ModelTraits& model, uint16_t y16, float* temperature,
                  const MeasureSettings& settings, float pointExtra) {
    if (!beginOperation(ctx, settings)) return;
    processFrame(ctx);
    if (model.pyroPointOffset) offsetFrame(ctx);
    const PYRO_POINT_SETTINGS point{
        {settings.measure1, settings.measure2, pointExtra, settings.measure3}};
    PYRO_MeasureAnalysisTempPoint(ctx.handle, y16, &point, temperature);
}

}  // namespace kmm
