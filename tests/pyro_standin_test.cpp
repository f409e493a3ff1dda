// The stand-in library itself: an unreadable calibration block falls back to the documented
// defaults (a readable one is compared with the library's own radiometry elsewhere).
#include <vector>

#include "pyro_fixture.h"

namespace kmm {
namespace {

std::vector<float> measured(const std::vector<uint8_t>& calib) {
    PyroInputs in;
    in.calib = calib;
    in.paramLine = PyroInputs::withOffset(2, 0);
    std::vector<float> t(12, -999.0f);
    measureMatrix("XY99", in.param(), t.data(), 1.0f, 0.0f, 23.0f);
    return t;
}

TEST_F(PyroTest, StandInReadsItsCalibrationBlockOrFallsBackToDefaults) {
    const auto defaults = measured(scenes::pyroCalibrationBlock());
    auto badMagic = scenes::pyroCalibrationBlock();
    badMagic[0] = 'X';
    auto badVersion = scenes::pyroCalibrationBlock();
    badVersion[4] = 1;
    auto cut = scenes::pyroCalibrationBlock();
    cut.resize(cut.size() - 1);
    const auto negativeGain = scenes::pyroCalibrationBlock({}, {{-0.5f, 1000.0f, 1.0f}});
    for (const auto& block : {badMagic, badVersion, cut, negativeGain, std::vector<uint8_t>(7, 1)})
        EXPECT_EQ(measured(block), defaults);
}

}  // namespace
}  // namespace kmm
