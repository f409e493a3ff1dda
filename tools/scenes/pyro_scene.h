// Synthetic inputs for the closed-library exports: a calibration block in the stand-in's
// format, opaque scene blocks, a parameter line with chosen fields, and a room-with-fire
// temperature scene to synthesise frames from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

namespace kmm::scenes {

// Y16 = gain * raw^exponent + offset for one response range of the calibration block.
struct PyroRange {
    float gain;
    float offset;
    float exponent;
};

// The camera's Planck constants: raw = R1 / (R2 (exp(B / T) - F)) - O. The defaults are
// realistic constants of a microbolometer camera.
struct PyroPlanck {
    float r1 = 364058.0f, r2 = 1.0f, b = 1428.0f, f = 1.0f, o = -228.0f;
};

// The stand-in's calibration block ("KPCB", version 2): Planck constants and the response
// ranges. The default ranges are a linear one (-20 to 650 degC) and a compressed fire range
// (to 2000 degC); {{1, 0, 1}} reads the camera's raw counts as they are.
std::vector<uint8_t> pyroCalibrationBlock(
    PyroPlanck planck = {},
    std::vector<PyroRange> ranges = {{0.5f, 1000.0f, 1.0f}, {1180.0f, 0.0f, 0.25f}});

// length bytes of deterministic content; the library treats scene blocks as opaque.
std::vector<uint8_t> pyroSceneBlock(uint8_t tag, size_t length);

// A parameter line of length bytes: range mode in byte 152, signed 16-bit little-endian
// fields at the given byte offsets, zero elsewhere.
std::vector<uint8_t> pyroParamLine(int rangeMode,
                                   std::initializer_list<std::pair<size_t, int16_t>> fields = {},
                                   size_t length = 822);

// Temperatures (degC) of a room at 22 degC with a person (about 34 degC), a radiator
// (about 65 degC), a hot plate (about 250 degC) and, withFire, a fire (several hundred degC);
// deterministic for a given size.
std::vector<float> fireRoomTemperatures(int width, int height, bool withFire = true);

}  // namespace kmm::scenes
