// Y16 from temperature: the opening steps, the frame processed (except on the fire list's
// shortcut), the library's value, then the module's offset taken off again.
#include "pyro/pyro_y16.h"

#include "kernels/conversions.h"
#include "pyro/param_line.h"

namespace kmm {
namespace {

// The measurement adds paramLineOffset to the frame; the inverse takes it off the value.
int16_t withoutOffset(const PyroContext& ctx, int16_t y16) {
    if (rangeMode(ctx.paramLine.view()) != 1) return y16;
    return wrapToInt16(int64_t(y16) - paramLineOffset(ctx.paramLine.view()));
}

// The library writes into a slot of ours seeded with the caller's value, so a call that ends
// early leaves the caller's value as it was.
bool convert(PyroContext& ctx, float temperature, int16_t* y16Out, bool processed, bool offset) {
    if (processed) processFrame(ctx);
    int16_t y16 = *y16Out;
    PYRO_CalcY16ByTemp(ctx.handle(), temperature, &y16);
    *y16Out = offset ? withoutOffset(ctx, y16) : y16;
    return true;
}

}  // namespace

bool y16FromTemperature(PyroContext& ctx, const ModelTraits& model, float temperature,
                        int16_t* y16Out, const MeasureSettings& settings) {
    if (!beginOperation(ctx, settings)) return false;
    if (settings.record != nullptr)
        return convert(ctx, temperature, y16Out, true, model.pyroY16RecordOffset);
    return convert(ctx, temperature, y16Out, model.pyroY16 != PyroY16Mode::LibraryValueEarlyReturn,
                   model.pyroY16 == PyroY16Mode::SubtractOffset);
}

}  // namespace kmm
