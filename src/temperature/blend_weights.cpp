// Blend weights of the calibration curves along both axes.
#include "temperature/blend_weights.h"

#include <algorithm>
#include <cstdint>

namespace kmm {

FirstAxisWeights firstAxisWeights(const MeasureState& state, const ParaConfig& config) {
    const int32_t i = state.segmentIndex;
    // Never read past the array, whatever count the host put in the record.
    const int32_t n = std::min<int32_t>(config.breakpointCount, 10);
    if (i == 0) return {0.0f, 1.0f, false, true};
    if (i >= n) return {1.0f, 0.0f, true, false};
    const float x = state.segmentKey;
    const float dLo = x - config.breakpoints[i - 1];
    const float dHi = config.breakpoints[i] - x;
    const float span = dLo + dHi;
    // Equal breakpoints leave 0 / 0 (or x / 0): the key sits on both ends at once.
    if (span == 0.0f) return {0.5f, 0.5f, true, true};
    return {1.0f - dLo / span, 1.0f - dHi / span, true, true};
}

SecondAxisWeights secondAxisWeights(const MeasureState& state, const ParaConfig& config) {
    const float y = state.settingKey;
    if (config.settingLow >= y) return {1.0f, 0.0f};
    if (y >= config.settingHigh) return {0.0f, 1.0f};
    // Strictly between the ends, so the span is positive for finite ends.
    const float dLo = y - config.settingLow;
    const float dHi = config.settingHigh - y;
    const double span = double(dLo + dHi);
    return {float(1.0 - double(dLo) / span), float(1.0 - double(dHi) / span)};
}

}  // namespace kmm
