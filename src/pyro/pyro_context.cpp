// contextCreate, contextLoad, contextOpen (the fire and the standard set-up), fireDrcSetup
// and contextClose, with the data-request callback that serves the calibration block.
#include "pyro/pyro_context.h"

#include <cstring>

#include "pyro/param_line.h"
#include "registry/model_registry.h"

namespace kmm {
namespace {

constexpr size_t kBaseLevelField = 818;

constexpr std::array<PYRO_DRC_PARAMS, 4> kDrcSets = {{
    {{256, 108, 256, 256, 128, 80, 2, 2, 30, 32, 11}},
    {{320, 108, 256, 256, 108, 200, 8, 5, 48, 32, 11}},
    {{256, 108, 256, 256, 108, 80, 2, 2, 30, 32, 11}},
    {{256, 108, 256, 256, 108, 80, 2, 2, 30, 32, 11}},
}};

constexpr std::array<LevelTable, 3> kLevelTables = {{
    {0.0f, 0.25f, 0.45f, 0.65f, 0.95f, 1.0f},
    {0.0f, 0.375f, 0.575f, 0.7f, 0.95f, 1.0f},
    {0.0f, 0.625f, 0.78f, 0.95f, 1.0f, 1.0f},
}};

struct ImageDefault {
    int32_t selector;
    int32_t value;
    bool byte;  // handed as one byte rather than an int32
};
constexpr ImageDefault kImageDefaults[] = {
    {3, 255, false}, {4, 100, false}, {22, 1, true},  {23, 1, true},
    {29, 256, false}, {30, 1, false}, {31, 1, false}, {34, 20, false},
    {35, 180, false}, {36, 145, false}, {37, 32, false}, {38, 7, false},
};

using Control = int32_t (*)(PyroHandle, int32_t, void*);

// Each value gets a slot of its own: the library may keep or write through the pointer
// only for the length of the call.
void send(Control control, PyroHandle h, int32_t selector, int32_t value) {
    control(h, selector, &value);
}

// (ignored, destination, ignored, length out, user) -> -11 without a context; otherwise the
// whole calibration block, when there is one, and 0.
int32_t dataRequestCallback(int32_t, void* destination, int32_t, uint32_t* length, void* user) {
    if (user == nullptr) return -11;
    const PyroContext& ctx = *static_cast<const PyroContext*>(user);
    if (!ctx.calibData.present()) return 0;
    if (destination == nullptr || length == nullptr) return -11;
    std::memcpy(destination, ctx.calibData.bytes.get(), size_t(ctx.calibData.length));
    *length = uint32_t(ctx.calibData.length);
    return 0;
}

void loadBlock(OwnedBlock& held, const void* data, int32_t length) {
    const int32_t wanted = data != nullptr && length > 0 ? length : 0;
    if (wanted != held.length) {
        held.bytes.reset();
        held.length = 0;
        if (wanted > 0) held.bytes = std::make_unique_for_overwrite<uint8_t[]>(size_t(wanted));
        held.length = wanted;
    }
    if (wanted > 0) std::memcpy(held.bytes.get(), data, size_t(wanted));
}

void releaseCopies(PyroContext& ctx) {
    ctx.frame.reset();
    ctx.frameCount = 0;
    for (OwnedBlock* b : {&ctx.calibData, &ctx.sceneA, &ctx.sceneB, &ctx.sceneC, &ctx.paramLine}) {
        b->bytes.reset();
        b->length = 0;
    }
}

void registerContext(PyroContext& ctx) {
    PYRO_REGISTRATION registration{};
    registration.dataRequest = dataRequestCallback;
    registration.user = &ctx;
    PYRO_Register(ctx.handle, &registration);
    ctx.initialised.exchange(1);
}

void sendBaseLevel(const PyroContext& ctx) {
    send(PYRO_BaseControl, ctx.handle, 28, paramField(ctx.paramLine.view(), kBaseLevelField));
}

void fireDrcSetup(PyroContext& ctx) {
    ctx.drcHandle = PYRO_FireDRCInit(int32_t(ctx.width), int32_t(ctx.height), 0);
    ctx.drcSets = kDrcSets;
    PYRO_FireDRCSetParams(ctx.drcHandle, &ctx.drcSets[0]);
}

// The range window by the parameter line's range mode; the second selector gets the address
// of the pair's second member.
void sendRangeWindow(const PyroContext& ctx) {
    const int mode = rangeMode(ctx.paramLine.view());
    if (mode == 1) {
        float pair[2] = {11.5f, 110.0f};
        PYRO_MeasureControl(ctx.handle, 16, pair);
        PYRO_MeasureControl(ctx.handle, 12, &pair[1]);
    } else if (mode == 2) {
        float pair[2] = {0.0f, 1.0f};
        PYRO_MeasureControl(ctx.handle, 17, pair);
        PYRO_MeasureControl(ctx.handle, 13, &pair[1]);
    } else {
        int32_t pair[2] = {0, 0};
        PYRO_MeasureControl(ctx.handle, 18, pair);
        PYRO_MeasureControl(ctx.handle, 14, &pair[1]);
    }
}

void openFire(PyroContext& ctx) {
    ctx.handle = PYRO_Init(2, 1, int32_t(ctx.width), int32_t(ctx.height), 3);
    if (ctx.handle == nullptr) {
        // The DRC runs without an instance, so it still gets its handle.
        fireDrcSetup(ctx);
        return;
    }
    sendBaseLevel(ctx);
    ctx.ispResult = {};
    registerContext(ctx);
    for (int32_t selector : {19, 11, 7, 23, 10, 27}) send(PYRO_MeasureControl, ctx.handle, selector, 1);
    send(PYRO_BaseControl, ctx.handle, 14, 1);
    applyImageDefaults(ctx.handle);
    send(PYRO_MeasureControl, ctx.handle, 15, 1);
    sendRangeWindow(ctx);
    send(PYRO_Debugger, ctx.handle, 0, 1);
    fireDrcSetup(ctx);
}

void openStandard(PyroContext& ctx, bool baseLevel) {
    const int32_t w = int32_t(ctx.width), h = int32_t(ctx.height);
    ctx.handle = ctx.sceneC.present() ? PYRO_Init(2, 1, w, h, 3) : PYRO_Init(2, 3, w, h, 0);
    if (ctx.handle == nullptr) return;
    if (baseLevel) sendBaseLevel(ctx);
    registerContext(ctx);
    if (ctx.sceneC.present()) send(PYRO_MeasureControl, ctx.handle, 19, 1);
    for (int32_t selector : {11, 7, 23}) send(PYRO_MeasureControl, ctx.handle, selector, 1);
    send(PYRO_Debugger, ctx.handle, 0, 1);
}

}  // namespace

void applyImageDefaults(PyroHandle h) {
    for (const ImageDefault& d : kImageDefaults) {
        if (d.byte) {
            uint8_t value = uint8_t(d.value);
            PYRO_ImageControl(h, d.selector, &value);
        } else {
            send(PYRO_ImageControl, h, d.selector, d.value);
        }
    }
}

void contextCreate(PyroContext& ctx) {
    ctx.width = ctx.height = 0;
    releaseCopies(ctx);
    ctx.initialised.exchange(0);
    ctx.handle = nullptr;
    ctx.ispResult = {};
    ctx.drcSets = {};
    ctx.drcHandle = nullptr;
    ctx.levelTables = kLevelTables;
}

void contextLoad(PyroContext& ctx, const PYRO_PARAM& p) {
    ctx.width = p.width;
    ctx.height = p.height;
    const int32_t samples = p.y16Data != nullptr && p.y16Count > 0 ? p.y16Count : 0;
    if (samples != ctx.frameCount) {
        ctx.frame.reset();
        ctx.frameCount = 0;
        if (samples > 0) ctx.frame = std::make_unique_for_overwrite<uint16_t[]>(size_t(samples));
        ctx.frameCount = samples;
    }
    if (samples > 0) std::memcpy(ctx.frame.get(), p.y16Data, size_t(samples) * 2);
    loadBlock(ctx.calibData, p.calibData, p.calibLength);
    loadBlock(ctx.sceneB, p.sceneB, p.sceneBLength);
    loadBlock(ctx.sceneA, p.sceneA, p.sceneALength);
    loadBlock(ctx.sceneC, p.sceneC, p.sceneCLength);
    loadBlock(ctx.paramLine, p.paramLine, p.paramLineLength);
}

void contextOpen(PyroContext& ctx, const char* modelName) {
    constexpr uint32_t kMaxSide = uint32_t(INT32_MAX);
    if (ctx.width == 0 || ctx.height == 0 || ctx.width > kMaxSide || ctx.height > kMaxSide ||
        !ctx.calibData.present() || !ctx.sceneA.present() || !ctx.sceneB.present())
        return;
    const ModelTraits& traits = lookupModel(modelName);
    if (traits.pyroSetup != PyroSetup::Standard && ctx.paramLine.length < kParamLineMinLength)
        return;
    if (traits.pyroSetup == PyroSetup::Fire)
        openFire(ctx);
    else
        openStandard(ctx, traits.pyroSetup == PyroSetup::StandardWithBaseControl);
}

void contextClose(PyroContext& ctx) {
    if (ctx.handle != nullptr) PYRO_Uninit(ctx.handle);
    ctx.handle = nullptr;
    ctx.initialised.exchange(0);
    releaseCopies(ctx);
}

}  // namespace kmm
