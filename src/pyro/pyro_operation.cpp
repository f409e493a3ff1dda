// Scene, measurement settings, frame processing and frame offset: the opening steps of every
// closed-library operation.
#include "pyro/pyro_operation.h"

#include <algorithm>

#include "pyro/param_line.h"

namespace kmm {
namespace {

template <class Value>
void sendMeasure(PyroHandle h, PyroSelector selector, Value value) {
    PYRO_MeasureControl(h, selector, &value);
}

PYRO_SCENE_BLOCK sceneBlock(const OwnedBlock& block) {
    return {block.present() ? block.bytes.get() : nullptr, block.length, 0};
}

}  // namespace

bool beginOperation(PyroContext& ctx, const MeasureSettings& settings) {
    if (!ctx.open()) return false;
    const PyroHandle h = ctx.handle();
    int32_t measurementOutput = 0;
    PYRO_BaseControl(h, PYRO_BASE_OUTPUT, &measurementOutput);
    const PYRO_SCENE scene{{sceneBlock(ctx.sceneA), sceneBlock(ctx.sceneB), sceneBlock(ctx.sceneC)}};
    if (PYRO_SetScene(h, &scene) != 0) return false;
    if (PYRO_MEASUREPARAM* r = settings.record) {
        // The library gets the caller's own fields.
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING1, &r->measure1);
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING2, &r->measure2);
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING3, &r->measure3);
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING4, &r->measure4);
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING5, &r->measure5);
        PYRO_MeasureControl(h, PYRO_MEASURE_SETTING6, &r->measure6);
    } else {
        sendMeasure(h, PYRO_MEASURE_SETTING1, settings.measure1);
        sendMeasure(h, PYRO_MEASURE_SETTING2, settings.measure2);
        sendMeasure(h, PYRO_MEASURE_SETTING3, settings.measure3);
    }
    sendMeasure(h, PYRO_MEASURE_RUN_A, int32_t{1});
    sendMeasure(h, PYRO_MEASURE_RUN_B, int32_t{1});
    return true;
}

int32_t frameBytes(const PyroContext& ctx) {
    // The checks keep frameCount within kMaxFrameSamples, so this fits in 32 bits.
    return int32_t(2 * int64_t(ctx.frameCount));
}

void processFrame(PyroContext& ctx) {
    if (ctx.sceneC.present())
        PYRO_UpdateParamLine(ctx.handle(), ctx.paramLine.bytes.get(), ctx.paramLine.length);
    PYRO_ISP(ctx.handle(), ctx.frame.get(), frameBytes(ctx), &ctx.ispResult);
}

void offsetFrame(PyroContext& ctx) {
    if (rangeMode(ctx.paramLine.view()) != 1) return;
    // Only the low 16 bits matter: the addition wraps modulo 65536.
    const auto offset = uint16_t(paramLineOffset(ctx.paramLine.view()));
    const int64_t pixels = std::min<int64_t>(int64_t(ctx.width) * ctx.height, ctx.frameCount);
    for (int64_t i = 0; i < pixels; ++i) ctx.frame[size_t(i)] = uint16_t(ctx.frame[size_t(i)] + offset);
}

}  // namespace kmm
