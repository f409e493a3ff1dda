// Synthetic Planck-type calibration curves.
#include "calibration_curves.h"

#include <cmath>

namespace kmm::scenes {

double planckResponse(double celsius) {
    constexpr double R = 364058.0, B = 1428.0, F = 1.0, O = -228.0;
    return R / (std::exp(B / (celsius + 273.15)) - F) + O;
}

CalibrationCurves syntheticCalibrationCurves() {
    CalibrationCurves c;
    const double gains[4] = {1.0, 1.25, 1.0, 1.25};
    const double shifts[4] = {0.0, 0.0, -150.0, -150.0};
    c.block.resize(size_t(4) * size_t(c.length));
    for (int k = 0; k < 4; ++k) {
        for (int32_t i = 0; i < c.length; ++i) {
            const double celsius = double(c.startTemp) + i / 10.0;
            const double raw = planckResponse(celsius) * gains[k] + shifts[k];
            c.block[size_t(k) * size_t(c.length) + size_t(i)] = uint16_t(std::lround(raw));
        }
    }
    return c;
}

}  // namespace kmm::scenes
