// One calibration curve evaluated for one Y16 value (drift and ambient corrections, gain,
// curve offset, position search), and the per-range and per-curve-set fields of MeasureState
// that the forward and the reverse direction both read.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"
#include "kernels/conversions.h"

namespace kmm {

// The four evaluation variants; exports turn every other value away before any evaluation.
constexpr bool isCurveType(int64_t curveType) { return curveType >= 0 && curveType <= 3; }

// Y16 intermediates are truncated toward zero and kept in 16 bits; values beyond the 32-bit
// range saturate first, so no input can make the conversion undefined.
inline int16_t truncToY16(float v) { return wrapToInt16(saturatingTrunc<int32_t>(v)); }

inline float driftSlopeRef(const MeasureState& s, bool high) {
    return high ? s.driftSlopeRefHigh : s.driftSlopeRefLow;
}
inline float& driftSlope(MeasureState& s, bool high) {
    return high ? s.driftSlopeHigh : s.driftSlopeLow;
}
inline float driftSlope(const MeasureState& s, bool high) {
    return high ? s.driftSlopeHigh : s.driftSlopeLow;
}
inline float ambientCoef(const MeasureState& s, bool high) {
    return high ? s.ambientCoefHigh : s.ambientCoefLow;
}
// Curves 0 and 2 use set 0, curves 1 and 3 set 1.
inline float curveGain(const MeasureState& s, bool set1) { return set1 ? s.gain1 : s.gain0; }
inline float curveOffset(const MeasureState& s, bool set1) { return set1 ? s.offset1 : s.offset0; }

// Index of the first entry above v found by a scan from the front (0 when v is below the
// first entry); curveLength when v is above the last entry or no entry is above it.
int32_t curvePosition(const uint16_t* curve, int32_t curveLength, int32_t v);

// Temperature (degC) of y16 on one curve of curveLength (>= 1) entries. May update the drift
// slope of the range and driftBlendDone in state, the call's working copy, so that later
// curves of the same call see them. curveType must be 0..3.
float evaluateCurve(int16_t y16, const uint16_t* curve, int32_t curveLength, bool high, bool set1,
                    MeasureState& state, const ParaConfig& config, int32_t curveType);

}  // namespace kmm
