// High and low range temperature from the four calibration curves.
#include "temperature/range_temperature.h"

#include <cstddef>

#include "temperature/blend_weights.h"
#include "temperature/calibration_curve.h"
#include "temperature/optical_corrections.h"

namespace kmm {

float rangeTemperature(int16_t y16, const uint16_t* curves, int32_t curveLength, bool high,
                       MeasureState state, const ParaConfig& config, int32_t curveType) {
    const FirstAxisWeights a = firstAxisWeights(state, config);
    // Curves that take no part stay 0; the evaluation order matters to type 2, whose slope
    // blend acts on the first curve evaluated.
    float t[] = {0.0f, 0.0f, 0.0f, 0.0f};
    const auto evaluate = [&](int k) {
        const uint16_t* curve = curves + size_t(k) * size_t(curveLength);
        t[k] = evaluateCurve(y16, curve, curveLength, high, k % 2 == 1, state, config, curveType);
    };
    if (a.usesA) {
        evaluate(0);
        evaluate(1);
    }
    if (a.usesB) {
        evaluate(2);
        evaluate(3);
    }
    float blended = 0.0f;
    if (state.twoAxisMode == 1) {
        const SecondAxisWeights b = secondAxisWeights(state, config);
        blended = (a.wB * t[3] + a.wA * t[1]) * b.w1 + (a.wB * t[2] + a.wA * t[0]) * b.w0;
    } else {
        blended = a.wA * t[0] + a.wB * t[2];
    }
    return correctForOptics(blended, state, config, curveType);
}

}  // namespace kmm
