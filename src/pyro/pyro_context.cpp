// The context's life: the copies, the fire and the standard set-up of the instance with the
// DRC's parameter sets, the data-request callback that serves the calibration block, and the
// close.
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
    PyroSelector selector;
    int32_t value;
    bool byte;  // handed as one byte rather than an int32
};
constexpr ImageDefault kImageDefaults[] = {
    {PYRO_IMAGE_GREY_MAX, 255, false}, {PYRO_IMAGE_PRESET_A, 100, false},
    {PYRO_IMAGE_FLAG_A, 1, true},      {PYRO_IMAGE_FLAG_B, 1, true},
    {PYRO_IMAGE_PRESET_B, 256, false}, {PYRO_IMAGE_PRESET_C, 1, false},
    {PYRO_IMAGE_PRESET_D, 1, false},   {PYRO_IMAGE_PRESET_E, 20, false},
    {PYRO_IMAGE_PRESET_F, 180, false}, {PYRO_IMAGE_PRESET_G, 145, false},
    {PYRO_IMAGE_PRESET_H, 32, false},  {PYRO_IMAGE_PRESET_I, 7, false},
};

using Control = int32_t (*)(PyroHandle, int32_t, void*);

// Each value gets a slot of its own: the library may keep or write through the pointer
// only for the length of the call.
void send(Control control, PyroHandle h, PyroSelector selector, int32_t value) {
    control(h, selector, &value);
}

// (ignored, destination, room, length out, user): the whole calibration block when there is
// one and it fits the room the library offers. A block that does not fit is refused whole,
// and the context then runs no operation: a cut block would calibrate wrongly.
int32_t dataRequestCallback(int32_t, void* destination, int32_t capacity, uint32_t* length,
                            void* user) {
    if (user == nullptr) return PYRO_REQUEST_REFUSED;
    PyroContext& ctx = *static_cast<PyroContext*>(user);
    if (!ctx.calibData.present()) return 0;
    if (destination == nullptr || length == nullptr || ctx.calibData.length > capacity) {
        ctx.calibrationRefused.store(true);
        return PYRO_REQUEST_REFUSED;
    }
    std::memcpy(destination, ctx.calibData.bytes.get(), size_t(ctx.calibData.length));
    *length = uint32_t(ctx.calibData.length);
    return 0;
}

// A null block is absent whatever its length.
void loadBlock(OwnedBlock& held, const void* data, int32_t length) {
    if (data == nullptr || length <= 0) return;
    held.bytes = std::make_unique_for_overwrite<uint8_t[]>(size_t(length));
    std::memcpy(held.bytes.get(), data, size_t(length));
    held.length = length;
}

void registerContext(PyroContext& ctx) {
    PYRO_REGISTRATION registration{};
    registration.dataRequest = dataRequestCallback;
    registration.user = &ctx;
    PYRO_Register(ctx.handle(), &registration);
    ctx.initialised.exchange(1);
}

void sendBaseLevel(const PyroContext& ctx) {
    send(PYRO_BaseControl, ctx.handle(), PYRO_BASE_LEVEL,
         paramField(ctx.paramLine.view(), kBaseLevelField));
}

void fireDrcSetup(PyroContext& ctx) {
    ctx.drcHandle = PYRO_FireDRCInit(int32_t(ctx.width), int32_t(ctx.height), 0);
    ctx.drcSets = kDrcSets;
    PYRO_FireDRCSetParams(ctx.drcHandle, &ctx.drcSets[0]);
}

// The range window by the parameter line's range mode; the second selector gets the address
// of the pair's second member.
void sendRangeWindow(const PyroContext& ctx) {
    const PyroHandle h = ctx.handle();
    const int mode = rangeMode(ctx.paramLine.view());
    if (mode == 1) {
        float pair[] = {11.5f, 110.0f};
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_MODE1, pair);
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_MODE1_END, &pair[1]);
    } else if (mode == 2) {
        float pair[] = {0.0f, 1.0f};
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_MODE2, pair);
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_MODE2_END, &pair[1]);
    } else {
        int32_t pair[] = {0, 0};
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_OTHER, pair);
        PYRO_MeasureControl(h, PYRO_MEASURE_WINDOW_OTHER_END, &pair[1]);
    }
}

void openFire(PyroContext& ctx) {
    ctx.instance.h = PYRO_Init(2, 1, int32_t(ctx.width), int32_t(ctx.height), 3);
    const PyroHandle h = ctx.handle();
    if (h == nullptr) {
        // The DRC keeps its handle even so; the fire operation draws only on measured ends.
        fireDrcSetup(ctx);
        return;
    }
    sendBaseLevel(ctx);
    ctx.ispResult = {};
    registerContext(ctx);
    for (PyroSelector s : {PYRO_MEASURE_SCENE_C, PYRO_MEASURE_OPEN_A, PYRO_MEASURE_OPEN_B,
                           PYRO_MEASURE_OPEN_C, PYRO_MEASURE_RUN_A, PYRO_MEASURE_FIRE})
        send(PYRO_MeasureControl, h, s, 1);
    send(PYRO_BaseControl, h, PYRO_BASE_OUTPUT, 1);
    applyImageDefaults(h);
    send(PYRO_MeasureControl, h, PYRO_MEASURE_RESPONSE, 1);
    sendRangeWindow(ctx);
    send(PYRO_Debugger, h, PYRO_DEBUG_LEVEL, 1);
    fireDrcSetup(ctx);
}

void openStandard(PyroContext& ctx, bool baseLevel) {
    const int32_t w = int32_t(ctx.width), ht = int32_t(ctx.height);
    ctx.instance.h = ctx.sceneC.present() ? PYRO_Init(2, 1, w, ht, 3) : PYRO_Init(2, 3, w, ht, 0);
    const PyroHandle h = ctx.handle();
    if (h == nullptr) return;
    if (baseLevel) sendBaseLevel(ctx);
    registerContext(ctx);
    if (ctx.sceneC.present()) send(PYRO_MeasureControl, h, PYRO_MEASURE_SCENE_C, 1);
    for (PyroSelector s : {PYRO_MEASURE_OPEN_A, PYRO_MEASURE_OPEN_B, PYRO_MEASURE_OPEN_C})
        send(PYRO_MeasureControl, h, s, 1);
    send(PYRO_Debugger, h, PYRO_DEBUG_LEVEL, 1);
}

}  // namespace

InstanceHandle::~InstanceHandle() {
    if (h == nullptr) return;
    try {
        PYRO_Uninit(h);
    } catch (...) {
    }
}

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

PyroContext::PyroContext(const char* modelName, const PYRO_PARAM& p)
    : width(p.width), height(p.height),
      frame(std::make_unique_for_overwrite<uint16_t[]>(size_t(p.y16Count))),
      frameCount(p.y16Count),
      levelTables(kLevelTables) {
    std::memcpy(frame.get(), p.y16Data, size_t(p.y16Count) * sizeof(uint16_t));
    loadBlock(calibData, p.calibData, p.calibLength);
    loadBlock(sceneB, p.sceneB, p.sceneBLength);
    loadBlock(sceneA, p.sceneA, p.sceneALength);
    loadBlock(sceneC, p.sceneC, p.sceneCLength);
    loadBlock(paramLine, p.paramLine, p.paramLineLength);

    if (!calibData.present() || !sceneA.present() || !sceneB.present()) return;
    const ModelTraits& traits = lookupModel(modelName);
    if (traits.pyroSetup == PyroSetup::Fire)
        openFire(*this);
    else
        openStandard(*this, traits.pyroSetup == PyroSetup::StandardWithBaseControl);
}

}  // namespace kmm
