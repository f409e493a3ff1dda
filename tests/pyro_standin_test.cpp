// The stand-in library itself, as far as the tests above lean on it: its calibration block
// decides the response, and an unreadable block falls back to the documented defaults.
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
    // A readable block is used: twice the gain halves the signal above the offset.
    const auto steeper = measured(scenes::pyroCalibrationBlock({}, {{1.0f, 1000.0f, 1.0f}}));
    for (size_t i = 0; i < 12; ++i) EXPECT_LT(steeper[i], defaults[i]);
}

}  // namespace
}  // namespace kmm
