// Builders of the closed-library inputs and the room-with-fire temperature scene.
#include "pyro_scene.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "random.h"

namespace kmm::scenes {
namespace {

void putU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
    out[at] = uint8_t(v & 0xFF);
    out[at + 1] = uint8_t(v >> 8);
}

void putF32(std::vector<uint8_t>& out, size_t at, float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(bits >> (8 * i));
}

// 1 inside an ellipse of centre (cx, cy) and half-axes (rx, ry), fading to 0 over its rim.
double blob(double x, double y, double cx, double cy, double rx, double ry) {
    const double d = std::hypot((x - cx) / rx, (y - cy) / ry);
    return std::clamp((1.15 - d) / 0.3, 0.0, 1.0);
}

}  // namespace

std::vector<uint8_t> pyroCalibrationBlock(PyroPlanck planck, std::vector<PyroRange> ranges) {
    std::vector<uint8_t> out(28 + 12 * ranges.size(), 0);
    std::memcpy(out.data(), "KPCB", 4);
    putU16(out, 4, 2);
    putU16(out, 6, uint16_t(ranges.size()));
    const float constants[] = {planck.r1, planck.r2, planck.b, planck.f, planck.o};
    for (size_t i = 0; i < 5; ++i) putF32(out, 8 + 4 * i, constants[i]);
    for (size_t i = 0; i < ranges.size(); ++i) {
        putF32(out, 28 + 12 * i, ranges[i].gain);
        putF32(out, 32 + 12 * i, ranges[i].offset);
        putF32(out, 36 + 12 * i, ranges[i].exponent);
    }
    return out;
}

std::vector<uint8_t> pyroSceneBlock(uint8_t tag, size_t length) {
    std::vector<uint8_t> out(length);
    for (size_t i = 0; i < length; ++i) out[i] = uint8_t(tag + i * 7);
    return out;
}

std::vector<uint8_t> pyroParamLine(int rangeMode,
                                   std::initializer_list<std::pair<size_t, int16_t>> fields,
                                   size_t length) {
    std::vector<uint8_t> out(length, 0);
    if (length > 152) out[152] = uint8_t(rangeMode);
    for (const auto& [offset, value] : fields)
        if (offset + 2 <= length) putU16(out, offset, uint16_t(value));
    return out;
}

std::vector<float> fireRoomTemperatures(int width, int height, bool withFire) {
    std::vector<float> t(size_t(std::max(width, 0)) * size_t(std::max(height, 0)));
    SplitMix64 noise(0x5EED'F1AEull);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width, v = (y + 0.5) / height;
            double temp = 22.0 + 1.5 * v + 0.08 * noise.normal();
            temp += 12.5 * blob(u, v, 0.22, 0.55, 0.08, 0.28);   // person
            temp += 43.0 * blob(u, v, 0.50, 0.20, 0.14, 0.05);   // radiator
            temp += 228.0 * blob(u, v, 0.50, 0.80, 0.10, 0.06);  // hot plate
            // Fire: hottest at its base, flickering upwards.
            const double flame = withFire ? blob(u, v, 0.80, 0.62, 0.09, 0.22) : 0.0;
            temp += flame * (880.0 * std::clamp(v * 1.25 - 0.35, 0.2, 1.0) +
                             25.0 * noise.normal());
            t[size_t(y) * size_t(width) + size_t(x)] = float(temp);
        }
    }
    return t;
}

}  // namespace kmm::scenes
