// Y16 from temperature by calibration curves. Type 0 undoes the forward steps in reverse order
// with opposite signs; types 1 to 3 use the alternative reference temperature, the host's
// current drift slopes, and their own signs for the ambient and drift terms.
#include "temperature/y16_from_temperature.h"

#include <cstddef>

#include "kernels/conversions.h"
#include "temperature/blend_weights.h"
#include "temperature/calibration_curve.h"
#include "temperature/optical_corrections.h"

namespace kmm {
namespace {

// Beyond either end of a curve the lookup reads this value instead.
constexpr int32_t kOffCurveY16 = 16383;

struct CurveLookup {
    const MeasureState& state;
    const ParaConfig& config;
    int32_t curveLength;
    bool high;
    bool typeZero;
    float temperature;
    int32_t refIndex;

    int16_t operator()(const uint16_t* curve, bool set1) const {
        // Below the curve the index is negative and its low 16 bits read as a large unsigned
        // one, so both ends land on the off-curve value.
        const float steps =
            (temperature - config.curveStartTemp - curveOffset(state, set1)) * 10.0f;
        const auto index = uint16_t(uint32_t(saturatingTrunc<int32_t>(steps)));
        const int32_t y = index < curveLength ? curve[index] : kOffCurveY16;
        // The reference follows the forward evaluation's curve offset: inside the curve
        // (entry 0 included) its entry, outside it 0.
        const int32_t yRef = refIndex >= 0 && refIndex < curveLength ? curve[refIndex] : 0;
        int16_t d = wrapToInt16(y - yRef);
        if (state.ambientEnable != 0) {
            const float shift =
                (state.curveRefTemp - state.ambientBaseTemp) * ambientCoef(state, high);
            d = truncToY16(typeZero ? float(d) - shift : float(d) + shift);
        }
        if (state.driftEnable != 0) {
            const float dt = state.driftTempNow - state.driftTempLast;
            d = typeZero ? truncToY16(float(d) + dt * driftSlopeRef(state, high))
                         : truncToY16(float(d) - dt * driftSlope(state, high));
        }
        const float gain = curveGain(state, set1);
        // A zero gain has no inverse; its curves contribute 0.
        return gain == 0.0f ? int16_t(0) : truncToY16(float(d) / gain);
    }
};

}  // namespace

int32_t y16FromTemperature(float temperature, const uint16_t* curves, int32_t curveLength,
                           bool high, const MeasureState& state, const ParaConfig& config,
                           int32_t curveType) {
    const bool typeZero = curveType == 0;
    const float t = typeZero ? apparentForOptics(temperature, state, config) : temperature;
    const float refTemp = typeZero ? state.curveRefTemp : state.curveRefTempAlt;
    const int32_t refIndex = saturatingTrunc<int32_t>((refTemp - config.curveStartTemp) * 10.0f);
    const CurveLookup lookup{state, config, curveLength, high, typeZero, t, refIndex};
    const auto curveY16 = [&](int k) {
        return lookup(curves + size_t(k) * size_t(curveLength), k % 2 == 1);
    };
    const int16_t r[] = {curveY16(0), curveY16(1), curveY16(2), curveY16(3)};

    const FirstAxisWeights a = firstAxisWeights(state, config);
    const auto along = [&](int16_t lower, int16_t upper) {
        return float(upper) * a.wB + float(lower) * a.wA;
    };
    if (state.twoAxisMode != 1) return saturatingTrunc<int32_t>(along(r[0], r[2]));
    const SecondAxisWeights b = secondAxisWeights(state, config);
    const int16_t s13 = truncToY16(along(r[1], r[3]));
    const int16_t s02 = truncToY16(along(r[0], r[2]));
    return saturatingTrunc<int32_t>(float(s13) * b.w1 + float(s02) * b.w0);
}

}  // namespace kmm
