// Exported entry points of the temperature correction: argument checks, the registry's
// branch, then the path.
#include "KModuleMeasure.h"
#include "common/export_guard.h"
#include "registry/model_registry.h"
#include "temperature/temperature_correction.h"

using namespace kmm;

extern "C" KMM_API void getNewTemperature_dll(const char* model, float* result, float temperature,
                                              float oldEmissivity, float newEmissivity,
                                              float oldDistance, float newDistance,
                                              float oldReflectedTemp, float newReflectedTemp,
                                              const DeviceCorrectionParam* param) {
    guardExport([&] {
        if (model == nullptr || result == nullptr) return;
        const ModelTraits& traits = lookupModel(model);
        if (traits.correction == CorrectionPath::None) {
            *result = temperature;
            return;
        }
        if (param == nullptr) return;
        const CorrectionConditions conditions{oldEmissivity,    newEmissivity,   oldDistance,
                                              newDistance,      oldReflectedTemp, newReflectedTemp};
        *result = traits.correction == CorrectionPath::ShortRange
                      ? correctShortRange(temperature, conditions, param->compMode)
                      : correctFullRange(temperature, conditions, *param, traits.unitEmissivity);
    });
}
