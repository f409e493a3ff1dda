// The stand-in's radiometric response: the Planck-type curve cameras publish,
// raw = R1 / (R2 (exp(B / T) - F)) - O, with emissivity, reflected temperature and
// atmospheric transmission applied in radiance space, and the calibration block that carries
// its constants.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pyro_standin {

// Calibration block, little-endian (served by the host through the data-request callback):
//    0  char[4]   "KPCB"
//    4  uint16    version, 2
//    6  uint16    range count n, 1 to 4
//    8  float32   R1, R2, B, F, O     (at 8, 12, 16, 20, 24; T in kelvin; O is subtracted:
//                                      O = -228 adds 228 counts)
//   28  n times   float32 gain, float32 offset, float32 exponent (12 bytes each)
//                 Y16 = gain * max(raw, 0)^exponent + offset; gain 1, offset 0, exponent 1
//                 reads the camera's raw counts as they are
// Anything else (short, other magic or version, R1, R2, B, gain or exponent not positive and
// finite, F outside 0..1, O not finite) gives the defaults: R1 364058, R2 1, B 1428, F 1,
// O -228; range 0 linear (gain 0.5, offset 1000: -20 to 650 degC within the 16-bit range);
// range 1 the fire range (gain 1180, exponent 0.25: -20 to 2000 degC strictly increasing
// below 32768).
struct RangeScale {
    double gain;
    double offset;
    double exponent;
};
struct Calibration {
    double r1 = 364058.0, r2 = 1.0, b = 1428.0, f = 1.0, o = -228.0;
    std::vector<RangeScale> ranges = {{0.5, 1000.0, 1.0}, {1180.0, 0.0, 0.25}};
};
inline constexpr size_t kCalibrationHeader = 28;
inline constexpr size_t kCalibrationRangeBytes = 12;

Calibration parseCalibration(const uint8_t* data, size_t length);

// What a measurement assumes about the target and the path.
struct Conditions {
    double emissivity = 1.0;  // fraction; below 0.01 or not finite counts as 0.01 or 1
    double distance = 0.0;    // metres; transmission exp(-0.0008 * distance), none below 0
    double reflected = 23.0;  // degC, also taken as the atmosphere's temperature
};

// A range index outside the block's ranges uses range 0.
uint16_t y16FromTemperature(const Calibration& cal, int range, const Conditions& cond,
                            double celsius);
// Below the response's floor (no radiance left for the target) gives -273.15.
double temperatureFromY16(const Calibration& cal, int range, const Conditions& cond,
                          uint16_t y16);

}  // namespace pyro_standin
