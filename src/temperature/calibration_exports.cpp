// Exported entry points of the calibration-curve temperatures: argument checks, then the
// range temperature, the configuration setter or the Y16 lookup.
#include <cstdint>
#include <limits>

#include "KModuleMeasure.h"
#include "common/export_guard.h"
#include "kernels/conversions.h"
#include "temperature/calibration_curve.h"
#include "temperature/para_config_setter.h"
#include "temperature/range_temperature.h"
#include "temperature/y16_from_temperature.h"

using namespace kmm;

namespace {

bool validCurves(const uint16_t* curves, int32_t curveLength, int32_t curveType) {
    return curves != nullptr && curveLength > 0 && isCurveType(curveType);
}

float rangeTemperatureOrNaN(uint16_t y16, const uint16_t* curves, int32_t curveLength, bool high,
                            const MeasureState& state, const ParaConfig& config,
                            int32_t curveType) {
    if (!validCurves(curves, curveLength, curveType))
        return std::numeric_limits<float>::quiet_NaN();
    return rangeTemperature(wrapToInt16(y16), curves, curveLength, high, state, config,
                            curveType);
}

}  // namespace

extern "C" KMM_API float GetHighTemperature_dll(uint16_t y16, const uint16_t* curves,
                                                int32_t curveLength, const void* /*reserved*/,
                                                TempCalcInfo /*info*/, MeasureState state,
                                                ParaConfig config, int32_t curveType) {
    return guardExport(std::numeric_limits<float>::quiet_NaN(), [&] {
        return rangeTemperatureOrNaN(y16, curves, curveLength, true, state, config, curveType);
    });
}

extern "C" KMM_API float GetLowTemperature_dll(uint16_t y16, const uint16_t* curves,
                                               int32_t curveLength, const void* /*reserved*/,
                                               TempCalcInfo /*info*/, MeasureState state,
                                               ParaConfig config, int32_t curveType) {
    return guardExport(std::numeric_limits<float>::quiet_NaN(), [&] {
        return rangeTemperatureOrNaN(y16, curves, curveLength, false, state, config, curveType);
    });
}

extern "C" KMM_API void SetParaConfig_dll(ParaConfig* config, const float* values, uint8_t count,
                                          float high, float low, float startTemp, float extra,
                                          float emissivity, float reflected, float transmission,
                                          uint32_t curveType) {
    guardExport([&] {
        if (!isCurveType(curveType) || config == nullptr || values == nullptr) return;
        if (count > kMaxBreakpoints) return;
        fillParaConfig(*config, values, count,
                       {high, low, startTemp, extra, emissivity, reflected, transmission});
    });
}

extern "C" KMM_API int32_t ReverseCalculationLsb_dll(float temperature, const uint16_t* curves,
                                                     int32_t curveLength, bool high,
                                                     uint8_t /*reserved*/, MeasureState state,
                                                     ParaConfig config, int32_t curveType) {
    return guardExport(int32_t(KMM_NO_Y16), [&] {
        if (!validCurves(curves, curveLength, curveType)) return int32_t(KMM_NO_Y16);
        return y16FromTemperature(temperature, curves, curveLength, high, state, config,
                                  curveType);
    });
}
