// Y16 from temperature: the opening steps, the frame processed (except on the fire list's
// shortcut), the library's value, then the module's offset taken off again.
#include "pyro/pyro_y16.h"

#include "common/numeric.h"
#include "pyro/param_line.h"

namespace kmm {
namespace {

// The measurement adds paramLineOffset to the frame; the inverse takes it off the value.
void subtractOffset(const PyroContext& ctx, int16_t* y16Out) {
    if (rangeMode(ctx.paramLine.view()) != 1) return;
    *y16Out = wrapToInt16(int64_t(*y16Out) - paramLineOffset(ctx.paramLine.view()));
}

void convert(PyroContext& ctx, float temperature, int16_t* y16Out, bool offset) {
    processFrame(ctx);
    PYRO_CalcY16ByTemp(ctx.handle, temperature, y16Out);
    if (offset) subtractOffset(ctx, y16Out);
}

}  // namespace

void y16FromTemperature(PyroContext& ctx, const ModelTraits& model, float temperature,
                        int16_t* y16Out, float measure1, float measure2, float measure3) {
    if (!beginOperation(ctx, {measure1, measure2, measure3})) return;
    if (model.pyroY16 == PyroY16Mode::LibraryValueEarlyReturn) {
        PYRO_CalcY16ByTemp(ctx.handle, temperature, y16Out);
        return;
    }
    convert(ctx, temperature, y16Out, model.pyroY16 == PyroY16Mode::SubtractOffset);
}

void y16FromTemperatureRecord(PyroContext& ctx, const ModelTraits& model, float temperature,
                              int16_t* y16Out, PYRO_MEASUREPARAM& measure) {
    if (!beginOperation(ctx, MeasureSettings::of(measure))) return;
    convert(ctx, temperature, y16Out, model.pyroY16RecordOffset);
}

}  // namespace kmm
