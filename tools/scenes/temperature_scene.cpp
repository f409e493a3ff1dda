// The synthetic room scene: shapes placed in coordinates relative to the frame size, so any
// size shows the same picture, plus 0.05 degC of sensor-like noise.
#include "temperature_scene.h"

#include <cmath>

#include "random.h"

namespace kmm::scenes {
namespace {

// Inside an axis-aligned ellipse centred at (cx, cy) with radii (rx, ry), all relative.
double ellipse(double u, double v, double cx, double cy, double rx, double ry) {
    const double du = (u - cx) / rx, dv = (v - cy) / ry;
    return du * du + dv * dv;
}

double roomTemperature(double u, double v) {
    double t = 23.0 - 3.0 * v;  // warm air under the ceiling
    if (u > 0.05 && u < 0.25 && v > 0.15 && v < 0.55) t = 11.0 + 2.0 * v;  // window
    if (u > 0.7 && u < 0.95 && v > 0.78 && v < 0.9) {                      // radiator fins
        t = std::fmod(u * 60.0, 1.0) < 0.5 ? 45.0 : 38.0;
    }
    return t;
}

double personTemperature(double u, double v, double room) {
    const double head = ellipse(u, v, 0.45, 0.3, 0.06, 0.09);
    if (head < 1.0) {
        const bool eye = ellipse(u, v, 0.43, 0.28, 0.008, 0.008) < 1.0 ||
                         ellipse(u, v, 0.47, 0.28, 0.008, 0.008) < 1.0;
        return eye ? 36.2 : 35.0 - 1.5 * head;  // cooler towards the hairline
    }
    if (u > 0.42 && u < 0.48 && v > 0.38 && v < 0.42) return 34.0;  // neck
    if (ellipse(u, v, 0.45, 0.7, 0.14, 0.3) < 1.0) {                // clothed body
        return 29.0 + 1.5 * (1.0 - v);
    }
    return room;
}

double hotPlate(double u, double v, double t) {
    const double d = ellipse(u, v, 0.8, 0.45, 0.08, 0.1);
    if (d < 0.15) return 320.0;                    // glowing centre
    if (d < 1.0) return 300.0 - 100.0 * d;         // the plate falls to 200 at its rim
    if (d < 1.6) return t + (1.6 - d) * 60.0;      // warm air around it
    return t;
}

}  // namespace

std::vector<float> temperatureScene(int32_t width, int32_t height, int32_t frame) {
    if (width <= 0 || height <= 0) return {};
    std::vector<float> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    SplitMix64 rng(0x7E3A1u + static_cast<uint64_t>(frame));
    for (int32_t y = 0; y < height; ++y) {
        const double v = (y + 0.5) / height;
        for (int32_t x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            double t = personTemperature(u, v, roomTemperature(u, v));
            if (frame == 1) t = hotPlate(u, v, t);
            out[static_cast<std::size_t>(y) * width + x] =
                static_cast<float>(t + 0.05 * rng.normal());
        }
    }
    return out;
}

}  // namespace kmm::scenes
