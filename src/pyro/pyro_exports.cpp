// Exported entry points through the closed library: argument checks, then one context around
// the operation, all behind the C boundary's exception guard.
#include "KModuleMeasure.h"
#include "common/export_guard.h"
#include "pyro/pyro_call.h"
#include "pyro/pyro_fire.h"
#include "pyro/pyro_grey.h"
#include "pyro/pyro_measure.h"
#include "pyro/pyro_y16.h"

using namespace kmm;

// The plain exports name their frame and block arguments alike, in the order of PYRO_PARAM.
#define PLAIN_PARAM                                                                            \
    plainParam(width, height, y16Data, y16Count, calibData, calibLength, sceneB, sceneBLength,  \
               sceneA, sceneALength, sceneC, sceneCLength, paramLine, paramLineLength)

void KestrelModuleMeasureMin::tempwithpyroDll(const char* modelName, float* temperatures,
                                              const PYRO_PARAM& param,
                                              PYRO_MEASUREPARAM& measure) {
    if (param.y16Count <= 0 || temperatures == nullptr) return;
    guardExport([&] {
        runPyroCall(modelName, param, [&](PyroContext& ctx, const ModelTraits& model) {
            measureMatrix(ctx, model, temperatures, MeasureSettings::of(measure));
        });
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
    if (temperatures == nullptr) return;
    guardExport([&] {
        runPyroCall(modelName, PLAIN_PARAM, [&](PyroContext& ctx, const ModelTraits& model) {
            measureMatrix(ctx, model, temperatures, {measure1, measure2, measure3});
        });
    });
}

extern "C" KMM_API void getNewTemperatureWithPYROByY16(
    const char* modelName, int width, int height, const uint16_t* y16Data, int y16Count,
    uint16_t y16Value, const void* calibData, int calibLength, const void* sceneB,
    int sceneBLength, const void* sceneA, int sceneALength, const void* sceneC, int sceneCLength,
    const void* paramLine, int paramLineLength, float* temperature, float measure1,
    float measure2, float measure3, float pointExtra) {
    if (temperature == nullptr) return;
    guardExport([&] {
        runPyroCall(modelName, PLAIN_PARAM, [&](PyroContext& ctx, const ModelTraits& model) {
            measurePoint(ctx, model, y16Value, temperature, {measure1, measure2, measure3},
                         pointExtra);
        });
    });
}

extern "C" KMM_API void getY16WithPyro_dll(
    const char* modelName, int width, int height, const uint16_t* y16Data, int y16Count,
    const void* calibData, int calibLength, const void* sceneB, int sceneBLength,
    const void* sceneA, int sceneALength, const void* sceneC, int sceneCLength,
    const void* paramLine, int paramLineLength, float temperatureIn, int16_t* y16Out,
    float measure1, float measure2, float measure3) {
    if (y16Out == nullptr) return;
    guardExport([&] {
        runPyroCall(modelName, PLAIN_PARAM, [&](PyroContext& ctx, const ModelTraits& model) {
            y16FromTemperature(ctx, model, temperatureIn, y16Out, {measure1, measure2, measure3});
        });
    });
}

void KestrelModuleMeasureMin::y16MappingWithPyro_dll(const char* modelName, unsigned char* dst,
                                                     float* maxTemp, float* minTemp,
                                                     bool autoRange, const PYRO_PARAM& param,
                                                     PYRO_MEASUREPARAM& measure) {
    if (param.y16Count <= 0 || dst == nullptr || maxTemp == nullptr || minTemp == nullptr)
        return;
    guardExport([&] {
        runPyroCall(modelName, param, [&](PyroContext& ctx, const ModelTraits& model) {
            greyMapping(ctx, model, param.y16Data, {dst, maxTemp, minTemp, autoRange},
                        MeasureSettings::of(measure));
        });
    });
}

extern "C" KMM_API void y16MappingWithPyro_dll(
    const char* modelName, uint8_t* dst, float* maxTemp, float* minTemp, bool autoRange,
    int width, int height, const uint16_t* y16Data, int y16Count, const void* calibData,
    int calibLength, const void* sceneB, int sceneBLength, const void* sceneA, int sceneALength,
    const void* sceneC, int sceneCLength, const void* paramLine, int paramLineLength,
    float measure1, float measure2, float measure3) {
    if (dst == nullptr || maxTemp == nullptr || minTemp == nullptr) return;
    guardExport([&] {
        runPyroCall(modelName, PLAIN_PARAM, [&](PyroContext& ctx, const ModelTraits& model) {
            greyMapping(ctx, model, y16Data, {dst, maxTemp, minTemp, autoRange},
                        {measure1, measure2, measure3});
        });
    });
}

extern "C" KMM_API void y16MappingWithPyroToRgb_dll(
    const char* modelName, uint8_t* dst, float* maxTemp, float* minTemp, int width, int height,
    const uint16_t* y16Data, int y16Count, const void* calibData, int calibLength,
    const void* sceneB, int sceneBLength, const void* sceneA, int sceneALength,
    const void* sceneC, int sceneCLength, const void* paramLine, int paramLineLength,
    float measure1, float measure2, float measure3, int fireMode, int drcSetIndex,
    int drcParam1, int drcParam2, int drcParam3, int drcParam4, float* level) {
    if (dst == nullptr || maxTemp == nullptr || minTemp == nullptr || level == nullptr) return;
    guardExport([&] {
        const FireRequest request{dst,         maxTemp,   minTemp,   level,     fireMode,
                                  drcSetIndex, drcParam1, drcParam2, drcParam3, drcParam4};
        runPyroCall(modelName, PLAIN_PARAM, [&](PyroContext& ctx, const ModelTraits& model) {
            fireColourMapping(ctx, model, y16Data, request, {measure1, measure2, measure3});
        });
    });
}

#undef PLAIN_PARAM
