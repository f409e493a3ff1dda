// What a host hands to every closed-library export besides the model name: the frame and the
// four blocks, in the order of PYRO_PARAM; and the synthetic blocks the tool uses where a
// user gives none.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "KModuleMeasure.h"

namespace kmm::tool {

struct PyroBlocks {
    int width = 0;
    int height = 0;
    std::vector<uint16_t> frame;
    std::vector<uint8_t> calib, sceneA, sceneB, sceneC, paramLine;

    PYRO_PARAM param() const {
        auto block = [](const std::vector<uint8_t>& b) { return b.empty() ? nullptr : b.data(); };
        return {uint32_t(width), uint32_t(height),       frame.data(),
                int32_t(frame.size()), block(calib),      int32_t(calib.size()),
                block(sceneB),         int32_t(sceneB.size()), block(sceneA),
                int32_t(sceneA.size()), block(sceneC),    int32_t(sceneC.size()),
                block(paramLine),      int32_t(paramLine.size())};
    }
};

// Blocks as a camera would send them, with a frame of zeros: a calibration in the stand-in's
// format, opaque scene blocks and a parameter line whose reading (26.50) sits 1.50 above its
// reference, giving a small offset in range mode 1.
PyroBlocks demoBlocks(int width, int height, int rangeMode);

// Why the stand-in would not read `block` as a calibration ("KPCB" version 2, 1 to 4 ranges,
// R1, R2, B, gains and exponents positive, F within 0..1, all finite), or "" when it would.
// The stand-in falls back to its default calibration on such a block without a word, so the
// tool refuses it instead.
std::string calibrationBlockProblem(const std::vector<uint8_t>& block);

}  // namespace kmm::tool
