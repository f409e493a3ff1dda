// Exported entry points through the closed library: argument checks, then one context
// sequence around the operation.
#include "KModuleMeasure.h"
#include "pyro/pyro_call.h"
#include "pyro/pyro_measure.h"

using namespace kmm;

void KestrelModuleMeasureMin::tempwithpyroDll(const char* modelName, float* temperatures,
                                              const PYRO_PARAM& param,
                                              PYRO_MEASUREPARAM& measure) {
    if (param.y16Count <= 0) return;
    if (temperatures == nullptr || !acceptPyroCall(modelName, param)) return;
    runPyroCall(modelName, param, [&](PyroContext& ctx, const ModelTraits& model) {
        measureMatrix(ctx, model, temperatures, MeasureSettings::of(measure));
    });
}

KestrelModuleMeasureMin& KestrelModuleMeasureMin::operator=(const KestrelModuleMeasureMin&) {
    return *this;
}

KestrelModuleMeasureMin& KestrelModuleMeasureMin::operator=(KestrelModuleMeasureMin&&) {
    return *this;
}

extern "C" KMM_API void getNewTempWithPyro_dll(
    const char* modelName, int width, int height, const uint16_t* y16Data, int y16Count,
    const void* calibData, int calibLength, const void* sceneB, int sceneBLength,
    const void* sceneA, int sceneALength, const void* sceneC, int sceneCLength,
    const void* paramLine, int paramLineLength, float* temperatures, float measure1,
    float measure2, float measure3) {
    if (width <= 0 || height <= 0 || temperatures == nullptr) return;
    const PYRO_PARAM param{uint32_t(width), uint32_t(height), y16Data,      y16Count,
                           calibData,       calibLength,      sceneB,       sceneBLength,
                           sceneA,          sceneALength,     sceneC,       sceneCLength,
                           paramLine,       paramLineLength};
    if (!acceptPyroCall(modelName, param)) return;
    runPyroCall(modelName, param, [&](PyroContext& ctx, const ModelTraits& model) {
        measureMatrix(ctx, model, temperatures, {measure1, measure2, measure3});
    });
}

extern "C" KMM_API void getNewTemperatureWithPYROByY16(
    const char* modelName, int width, int height, const uint16_t* y16Data, int y16Count,
    uint16_t y16Value, const void* calibData, int calibLength, const void* sceneB,
    int sceneBLength, const void* sceneA, int sceneALength, const void* sceneC, int sceneCLength,
    const void* paramLine, int paramLineLength, float* temperature, float measure1,
    float measure2, float measure3, float pointExtra) {
    if (width <= 0 || height <= 0 || temperature == nullptr) return;
    const PYRO_PARAM param{uint32_t(width), uint32_t(height), y16Data,      y16Count,
                           calibData,       calibLength,      sceneB,       sceneBLength,
                           sceneA,          sceneALength,     sceneC,       sceneCLength,
                           paramLine,       paramLineLength};
    if (!acceptPyroCall(modelName, param)) return;
    runPyroCall(modelName, param, [&](PyroContext& ctx, const ModelTraits& model) {
        measurePoint(ctx, model, y16Value, temperature, {measure1, measure2, measure3},
                     pointExtra);
    });
}
