// Records and curves shared by the calibration-curve tests: a state with every correction off,
// unit gains and the curve reference on entry 0, and small curves with round numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "KModuleMeasure.h"

namespace kmm::test {

inline constexpr float kStart = 20.0f;  // curveStartTemp of the small curves

inline MeasureState plainState() {
    MeasureState s{};
    s.gain0 = s.gain1 = 1.0f;
    s.curveRefTemp = s.curveRefTempAlt = kStart;  // offset index 0
    return s;
}

inline ParaConfig plainConfig() {
    ParaConfig c{};
    c.curveStartTemp = kStart, c.emissivity = 1.0f, c.transmission = 1.0f;
    return c;
}

// entries first, first + step, ... (length of them)
inline std::vector<uint16_t> rampCurve(int32_t length, int32_t first, int32_t step) {
    std::vector<uint16_t> curve;
    for (int32_t i = 0; i < length; ++i) curve.push_back(uint16_t(first + i * step));
    return curve;
}

// Four ramps of one length, curve k starting at firsts[k] and rising by steps[k].
inline std::vector<uint16_t> rampBlock(int32_t length, const int32_t (&firsts)[4],
                                       const int32_t (&steps)[4]) {
    std::vector<uint16_t> block;
    for (int k = 0; k < 4; ++k)
        for (int32_t i = 0; i < length; ++i) block.push_back(uint16_t(firsts[k] + i * steps[k]));
    return block;
}

}  // namespace kmm::test
