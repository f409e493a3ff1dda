// Grey mapping: the window (measured range, or two Y16 conversions, high first), then the
// library's grey step with the image defaults on the frame copy as the window step left it.
#include "pyro/pyro_grey.h"

#include <vector>

#include "pyro/pyro_measure.h"
#include "pyro/pyro_y16.h"

namespace kmm {
namespace {

// The module's image scale 1.0, handed to the scale selector as an integer.
constexpr float kImageScale = 1.0f;

struct Range {
    float largest, smallest;
};

// From the first value on, every larger or smaller one replaces the one held.
Range scanRange(const std::vector<float>& matrix) {
    Range r{matrix[0], matrix[0]};
    for (float t : matrix) {
        if (t > r.largest) r.largest = t;
        if (t < r.smallest) r.smallest = t;
    }
    return r;
}

}  // namespace

void greyMapping(PyroContext& ctx, const ModelTraits& model, const uint16_t* callerFrame,
                 const GreyRequest& request, const MeasureSettings& settings) {
    // The library finds an automatic window itself: it is handed the first sample twice.
    int16_t high = int16_t(callerFrame[0]), low = high;
    Range measured{};
    if (request.autoRange) {
        std::vector<float> matrix(size_t(ctx.width) * ctx.height);
        if (!measureMatrix(ctx, model, matrix.data(), settings)) return;
        measured = scanRange(matrix);
    } else if (!y16FromTemperature(ctx, model, *request.maxTemp, &high, settings) ||
               !y16FromTemperature(ctx, model, *request.minTemp, &low, settings)) {
        // Without both ends there is no window to draw in.
        return;
    }

    const PyroHandle h = ctx.handle();
    int32_t imageOutput = 1;
    PYRO_BaseControl(h, PYRO_BASE_OUTPUT, &imageOutput);
    applyImageDefaults(h);
    auto scale = int32_t(kImageScale);
    PYRO_ImageControl(h, PYRO_IMAGE_SCALE, &scale);
    const PYRO_DIMMING_RANGE window{uint16_t(high), uint16_t(low)};
    if (PYRO_DimmingType(h, request.autoRange ? 2 : 3, &window) == 0 && ctx.sceneC.present()) {
        PYRO_UpdateParamLine(h, ctx.paramLine.bytes.get(), ctx.paramLine.length);
        PYRO_ISP_Y8(h, ctx.frame.get(), frameBytes(ctx), &ctx.ispResult, request.dst,
                    int32_t(ctx.width * ctx.height));
    }
    // Reported last: a step that throws leaves the range as the caller had it.
    if (request.autoRange) {
        *request.maxTemp = measured.largest;
        *request.minTemp = measured.smallest;
    }
}

}  // namespace kmm
