// Matrix and point measurement: the shared opening steps, ISP on the caller's frame as it
// came, then the offset frame (matrix) or the given value (point) measured.
#include "pyro/pyro_measure.h"

namespace kmm {

bool measureMatrix(PyroContext& ctx, const ModelTraits& model, float* temperatures,
                   const MeasureSettings& settings) {
    if (!beginOperation(ctx, settings)) return false;
    processFrame(ctx);
    if (model.pyroMatrixOffset) offsetFrame(ctx);
    // The checks keep width x height within the frame's samples, so it fits in 32 bits.
    const auto w = int32_t(ctx.width), h = int32_t(ctx.height);
    PYRO_MeasureTempMatrix(ctx.handle(), ctx.frame.get(), w, h, 0, 0, w, h,
                           settings.currentMeasure2(), 0, temperatures, w * h);
    return true;
}

void measurePoint(PyroContext& ctx, const ModelTraits& model, uint16_t y16, float* temperature,
                  const MeasureSettings& settings, float pointExtra) {
    if (!beginOperation(ctx, settings)) return;
    processFrame(ctx);
    if (model.pyroPointOffset) offsetFrame(ctx);
    const PYRO_POINT_SETTINGS point{
        {settings.measure1, settings.measure2, pointExtra, settings.measure3}};
    float value = *temperature;
    PYRO_MeasureAnalysisTempPoint(ctx.handle(), y16, &point, &value);
    *temperature = value;
}

}  // namespace kmm
