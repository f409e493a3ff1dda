// Weights of the four calibration curves: the first axis between two breakpoints (curves 0/1
// at the lower breakpoint, 2/3 at the upper) and the second between settingLow and settingHigh.
#pragma once

#include "KModuleMeasure.h"

namespace kmm {

struct FirstAxisWeights {
    float wA = 0, wB = 0;         // curves 0 and 1, curves 2 and 3
    bool usesA = false, usesB = false;  // whether those curves take part at all
};

struct SecondAxisWeights {
    float w0 = 0, w1 = 0;  // curves 0 and 2 (settingLow), curves 1 and 3 (settingHigh)
};

// Segment index 0 takes only curves 2/3; an index at or above the breakpoint count (or at or
// above 10, the array's size) only curves 0/1; a segment of zero width weighs both ends 0.5.
FirstAxisWeights firstAxisWeights(const MeasureState& state, const ParaConfig& config);
SecondAxisWeights secondAxisWeights(const MeasureState& state, const ParaConfig& config);

}  // namespace kmm
