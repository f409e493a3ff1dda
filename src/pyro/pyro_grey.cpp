// Grey mapping: the window (measured range, or two Y16 conversions, high first), then the
// library's grey step with the image defaults on the frame copy as the window step left it.
#include "pyro/pyro_grey.h"

#include <vector>

#include "pyro/pyro_measure.h"
#include "pyro/pyro_y16.h"

namespace kmm {
namespace {

// The module's image scale 1.0, handed to selector 42 as an integer.
constexpr float kImageScale = 1.0f;

// From the first value on, every larger or smaller one replaces the one held.
void scanRange(const std::vector<float>& matrix, float* maxTemp, float* minTemp) {
    float largest = matrix[0], smallest = matrix[0];
    for (float t : matrix) {
        if (t > largest) largest = t;
        if (t < smallest) smallest = t;
    }
    *maxTemp = largest;
    *minTemp = smallest;
}

uint16_t y16Of(PyroContext& ctx, const ModelTraits& model, float temperature, uint16_t held,
               const MeasureSettings& settings) {
    auto y16 = int16_t(held);
    if (settings.record != nullptr)
        y16FromTemperatureRecord(ctx, model, temperature, &y16, *settings.record);
    else
        y16FromTemperature(ctx, model, temperature, &y16, settings.measure1, settings.measure2,
                           settings.measure3);
    return uint16_t(y16);
}

}  // namespace

void greyMapping(PyroContext& ctx, const ModelTraits& model, const uint16_t* callerFrame,
                 const GreyRequest& request, const MeasureSettings& settings) {
    uint16_t high = callerFrame[0], low = callerFrame[0];
    if (request.autoRange) {
        std::vector<float> matrix(size_t(ctx.width) * ctx.height);
        if (measureMatrix(ctx, model, matrix.data(), settings))
            scanRange(matrix, request.maxTemp, request.minTemp);
    } else {
        high = y16Of(ctx, model, *request.maxTemp, high, settings);
        low = y16Of(ctx, model, *request.minTemp, low, settings);
    }
    if (ctx.initialised.load() == 0) return;
    int32_t imageOutput = 1;
    PYRO_BaseControl(ctx.handle, 14, &imageOutput);
    applyImageDefaults(ctx.handle);
    auto scale = int32_t(kImageScale);
    PYRO_ImageControl(ctx.handle, 42, &scale);
    const PYRO_DIMMING_RANGE window{high, low};
    if (PYRO_DimmingType(ctx.handle, request.autoRange ? 2 : 3, &window) != 0 ||
        !ctx.sceneC.present())
        return;
    PYRO_UpdateParamLine(ctx.handle, ctx.paramLine.bytes.get(), ctx.paramLine.length);
    PYRO_ISP_Y8(ctx.handle, ctx.frame.get(), 2 * ctx.frameCount, &ctx.ispResult, request.dst,
                int32_t(int64_t(ctx.width) * ctx.height));
}

}  // namespace kmm
