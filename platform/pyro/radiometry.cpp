// The stand-in's Planck-type response and its calibration block reader. Everything is in
// double: the stand-in only has to be a smooth, monotonic, invertible response.
#include "radiometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace pyro_standin {
namespace {

constexpr double kKelvin = 273.15;
constexpr double kExtinctionPerMetre = 0.0008;

double readF32(const uint8_t* p) {
    const uint32_t bits = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 |
                          uint32_t(p[3]) << 24;
    float v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

uint16_t readU16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool positive(double v) { return std::isfinite(v) && v > 0.0; }

// Target radiance in the curve's raw units: raw + O.
double radiance(const Calibration& cal, double celsius) {
    const double kelvin = celsius + kKelvin;
    if (!(kelvin > 0.0)) return 0.0;
    const double denominator = cal.r2 * (std::exp(cal.b / kelvin) - cal.f);
    // F <= 1 keeps the denominator positive; it reaches 0 only for absurd temperatures.
    return denominator > 0.0 ? cal.r1 / denominator : HUGE_VAL;
}

double celsiusOfRadiance(const Calibration& cal, double radiance) {
    if (!(radiance > 0.0)) return -kKelvin;
    return cal.b / std::log(cal.r1 / (cal.r2 * radiance) + cal.f) - kKelvin;
}

const RangeScale& scaleOf(const Calibration& cal, int range) {
    return range >= 0 && size_t(range) < cal.ranges.size() ? cal.ranges[size_t(range)]
                                                           : cal.ranges[0];
}

// Share of the target's own radiance in what reaches the sensor (emissivity x transmission).
double targetShare(const Conditions& cond) {
    const double e = std::isfinite(cond.emissivity) ? std::clamp(cond.emissivity, 0.01, 1.0) : 1.0;
    const double tau = cond.distance > 0.0 ? std::exp(-kExtinctionPerMetre * cond.distance) : 1.0;
    return e * tau;
}

}  // namespace

Calibration parseCalibration(const uint8_t* data, size_t length) {
    const Calibration defaults;
    if (data == nullptr || length < kCalibrationHeader || std::memcmp(data, "KPCB", 4) != 0 ||
        readU16(data + 4) != 2)
        return defaults;
    const size_t count = readU16(data + 6);
    if (count < 1 || count > 4 || length < kCalibrationHeader + count * kCalibrationRangeBytes)
        return defaults;
    Calibration cal;
    cal.r1 = readF32(data + 8);
    cal.r2 = readF32(data + 12);
    cal.b = readF32(data + 16);
    cal.f = readF32(data + 20);
    cal.o = readF32(data + 24);
    if (!positive(cal.r1) || !positive(cal.r2) || !positive(cal.b) || !std::isfinite(cal.o) ||
        !(cal.f >= 0.0) || cal.f > 1.0)
        return defaults;
    cal.ranges.clear();
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + kCalibrationHeader + i * kCalibrationRangeBytes;
        const RangeScale s{readF32(p), readF32(p + 4), readF32(p + 8)};
        if (!positive(s.gain) || !std::isfinite(s.offset) || !positive(s.exponent)) return defaults;
        cal.ranges.push_back(s);
    }
    return cal;
}

uint16_t y16FromTemperature(const Calibration& cal, int range, const Conditions& cond,
                            double celsius) {
    const double share = targetShare(cond);
    const double sensed =
        share * radiance(cal, celsius) + (1.0 - share) * radiance(cal, cond.reflected);
    const RangeScale& s = scaleOf(cal, range);
    const double y = s.gain * std::pow(std::max(sensed - cal.o, 0.0), s.exponent) + s.offset;
    if (!(y > 0.0)) return 0;  // NaN included
    return y >= 65535.0 ? uint16_t(65535) : uint16_t(std::lround(y));
}

double temperatureFromY16(const Calibration& cal, int range, const Conditions& cond,
                          uint16_t y16) {
    const RangeScale& s = scaleOf(cal, range);
    const double v = (double(y16) - s.offset) / s.gain;
    const double raw = v > 0.0 ? std::pow(v, 1.0 / s.exponent) : 0.0;
    const double share = targetShare(cond);
    const double target = (raw + cal.o - (1.0 - share) * radiance(cal, cond.reflected)) / share;
    return celsiusOfRadiance(cal, target);
}

}  // namespace pyro_standin
