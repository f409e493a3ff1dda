// Scene, measurement settings, frame processing and frame offset: the opening steps of every
// closed-library operation.
#include "pyro/pyro_operation.h"

#include <algorithm>

#include "pyro/param_line.h"

namespace kmm {
namespace {

void sendInt(PyroHandle h, int32_t selector, int32_t value) {
    PYRO_MeasureControl(h, selector, &value);
}

void sendFloat(PyroHandle h, int32_t selector, float value) {
    PYRO_MeasureControl(h, selector, &value);
}

PYRO_SCENE_BLOCK sceneBlock(const OwnedBlock& block) {
    return {block.present() ? block.bytes.get() : nullptr, block.length, 0};
}

}  // namespace

bool beginOperation(PyroContext& ctx, const MeasureSettings& settings) {
    if (ctx.initialised.load() == 0) return false;
    int32_t measurementOutput = 0;
    PYRO_BaseControl(ctx.handle, 14, &measurementOutput);
    const PYRO_SCENE scene{{sceneBlock(ctx.sceneA), sceneBlock(ctx.sceneB), sceneBlock(ctx.sceneC)}};
    if (PYRO_SetScene(ctx.handle, &scene) != 0) return false;
    if (PYRO_MEASUREPARAM* r = settings.record) {
        // The library gets the caller's own fields.
        PYRO_MeasureControl(ctx.handle, 1, &r->measure1);
        PYRO_MeasureControl(ctx.handle, 0, &r->measure2);
        PYRO_MeasureControl(ctx.handle, 3, &r->measure3);
        PYRO_MeasureControl(ctx.handle, 2, &r->measure4);
        PYRO_MeasureControl(ctx.handle, 22, &r->measure5);
        PYRO_MeasureControl(ctx.handle, 4, &r->measure6);
    } else {
        sendFloat(ctx.handle, 1, settings.measure1);
        sendFloat(ctx.handle, 0, settings.measure2);
        sendFloat(ctx.handle, 3, settings.measure3);
    }
    sendInt(ctx.handle, 10, 1);
    sendInt(ctx.handle, 9, 1);
    return true;
}

void processFrame(PyroContext& ctx) {
    if (ctx.sceneC.present())
        PYRO_UpdateParamLine(ctx.handle, ctx.paramLine.bytes.get(), ctx.paramLine.length);
    PYRO_ISP(ctx.handle, ctx.frame.get(), 2 * ctx.frameCount, &ctx.ispResult);
}

void offsetFrame(PyroContext& ctx) {
    if (rangeMode(ctx.paramLine.view()) != 1) return;
    // Only the low 16 bits matter: the addition wraps modulo 65536.
    const auto offset = uint16_t(paramLineOffset(ctx.paramLine.view()));
    const int64_t pixels = std::min<int64_t>(int64_t(ctx.width) * ctx.height, ctx.frameCount);
    for (int64_t i = 0; i < pixels; ++i) ctx.frame[size_t(i)] = uint16_t(ctx.frame[size_t(i)] + offset);
}

}  // namespace kmm
