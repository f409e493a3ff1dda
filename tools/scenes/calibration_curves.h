// A synthetic calibration curve block: four Planck-type response curves, the shape a camera
// calibration records, shared by the kmm demo, the benchmarks and the tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kmm::scenes {

// Four curves of `length` entries, one after another, entry i at startTemp + i / 10 degC.
// Response raw = R / (exp(B / T_K) - F) + O with R = 364058, B = 1428, F = 1, O = -228,
// then per curve: curve 0 as is (lower breakpoint, low setting), curve 1 with 1.25 times the
// gain (high setting), curves 2 and 3 the same 150 counts lower (upper breakpoint, a warmer
// housing). Every curve rises by at least 2.9 counts a step and stays within 919..15844.
struct CalibrationCurves {
    float startTemp = -20.0f;
    int32_t length = 1701;  // -20.0 .. 150.0 degC at 0.1 degC steps
    std::vector<uint16_t> block;

    const uint16_t* curve(int k) const { return block.data() + size_t(k) * size_t(length); }
};

CalibrationCurves syntheticCalibrationCurves();

// The response of the curves above before the per-curve gain and shift, in counts.
double planckResponse(double celsius);

}  // namespace kmm::scenes
