// Calibration-curve evaluation: the drift slope choice per curve type (estimate, clamps,
// the one-time blend of type 2), the corrections of the Y16 value and the position search.
#include "temperature/calibration_curve.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace kmm {
namespace {

// Slope of the reference between its two drift samples, when the samples allow one.
std::optional<float> slopeEstimate(const MeasureState& s) {
    // The difference is a float one, and 0.1f is the first float from 0.1 on: the float
    // comparison decides as one in double would.
    const float span = s.driftTempLast - s.driftTempPrev;
    if (!(std::fabs(span) >= 0.1f) || s.driftY16Prev == 0 || s.driftTempPrev == 0.0f)
        return std::nullopt;
    return float(double(int32_t(s.driftY16Last) - s.driftY16Prev) / double(span));
}

// Keeps the estimate within [0.5, limit] times the reference magnitude. An estimate inside
// the band keeps its own sign, even against the reference's.
float clampEstimate(float est, float ref, double limit) {
    const double magnitude = std::fabs(double(est));
    const double refMagnitude = std::fabs(double(ref));
    if (magnitude > limit * refMagnitude) return float(limit * double(ref));
    if (magnitude < 0.5 * refMagnitude) return float(0.5 * double(ref));
    return est;
}

// The clamped estimate becomes the range's current slope; without one the current slope stays.
float estimatedSlope(MeasureState& state, bool high, double limit) {
    float& current = driftSlope(state, high);
    if (const auto est = slopeEstimate(state))
        current = clampEstimate(*est, driftSlopeRef(state, high), limit);
    return current;
}

// Type 2 pulls the slope toward the reference once per call: the flag lives in the working
// copy, so only the first curve evaluated is blended.
float blendOnce(MeasureState& state, bool high, float s) {
    if (state.driftSlopeMode == 0) {
        state.driftBlendDone = 0;
        return s;
    }
    if (state.driftBlendDone != 0) return s;
    const float ref = driftSlopeRef(state, high);
    const int32_t step = std::abs(int32_t(state.driftY16Last) - state.driftY16Prev);
    const bool smallStep = step <= (high ? 35 : 100);
    s = smallStep ? 0.2f * ref + 0.8f * s : 0.4f * ref + 0.6f * s;
    driftSlope(state, high) = s;
    state.driftBlendDone = 1;
    return s;
}

float chooseDriftSlope(MeasureState& state, bool high, int32_t curveType) {
    switch (curveType) {
    case 0:
        return driftSlopeRef(state, high);
    case 1:
        if (state.driftSlopeMode != 0) return driftSlope(state, high) = driftSlopeRef(state, high);
        return estimatedSlope(state, high, 2.0);
    case 2:
        return blendOnce(state, high, estimatedSlope(state, high, 1.5));
    default:
        return estimatedSlope(state, high, 2.0);
    }
}

}  // namespace

int32_t curvePosition(const uint16_t* curve, int32_t curveLength, int32_t v) {
    // Above the last entry counts as past the end even when a curve that is not monotonic
    // holds a larger entry earlier.
    if (v > curve[curveLength - 1]) return curveLength;
    if (v < 0) return 0;  // every entry is above it; from here v fits in 16 bits
    const auto key = uint16_t(v);
    // Whole blocks are skipped by their largest entry, a loop without an early exit that the
    // compiler turns into vector code; the first block with a larger entry (or the short tail)
    // is then walked one entry at a time, and holds the answer.
    constexpr int32_t kBlock = 64;
    int32_t i = 0;
    for (const auto blocksEnd = curveLength - curveLength % kBlock; i < blocksEnd; i += kBlock) {
        uint16_t largest = 0;
        for (int32_t j = 0; j < kBlock; ++j) largest = std::max(largest, curve[i + j]);
        if (largest > key) break;
    }
    const int32_t end = std::min(i + kBlock, curveLength);
    while (i < end && curve[i] <= key) ++i;
    return i;
}

float evaluateCurve(int16_t y16, const uint16_t* curve, int32_t curveLength, bool high, bool set1,
                    MeasureState& state, const ParaConfig& config, int32_t curveType) {
    const float refTemp =
        curveType == 0 || curveType == 3 ? state.curveRefTemp : state.curveRefTempAlt;
    const int32_t refIndex =
        saturatingTrunc<int32_t>(refTemp * 10.0f - config.curveStartTemp * 10.0f);
    int16_t y = y16;
    if (state.driftEnable != 0) {
        const float slope = chooseDriftSlope(state, high, curveType);
        y = truncToY16(float(y) - (state.driftTempNow - state.driftTempLast) * slope);
    }
    if (state.ambientEnable != 0)
        y = truncToY16(float(y) +
                       (state.curveRefTemp - state.ambientBaseTemp) * ambientCoef(state, high));
    const float base = refIndex >= 0 && refIndex < curveLength ? float(curve[refIndex]) : 0.0f;
    const int32_t v = saturatingTrunc<int32_t>(float(y) * curveGain(state, set1) + base);
    const int32_t p = curvePosition(curve, curveLength, v);
    return float(double(p) / 10.0 + double(config.curveStartTemp) +
                 double(curveOffset(state, set1)));
}

}  // namespace kmm
