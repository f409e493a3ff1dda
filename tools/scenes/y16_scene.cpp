// The synthetic raw room frame: a temperature-like picture in relative coordinates, turned
// into counts at about 40 per kelvin, then optics (vignetting) and sensor (noise, stuck
// pixels) on top.
#include "y16_scene.h"

#include <algorithm>
#include <cmath>

#include "random.h"

namespace kmm::scenes {
namespace {

constexpr double kCountsPerKelvin = 40.0;
constexpr double kCountsAt20C = 7800.0;

double ellipse(double u, double v, double cx, double cy, double rx, double ry) {
    const double du = (u - cx) / rx, dv = (v - cy) / ry;
    return du * du + dv * dv;
}

// Degrees Celsius at relative position (u, v).
double sceneTemperature(double u, double v) {
    double t = 21.0 + 2.0 * (1.0 - v) + 0.8 * u;                        // wall, warmer above
    if (u > 0.06 && u < 0.3 && v > 0.1 && v < 0.45) t = 9.0 + 3.0 * v;  // window
    if (v > 0.82) t = 19.5 + 0.5 * std::sin(u * 40.0);                  // floor boards
    // The person: head, neck, clothed body, warmer face.
    const double head = ellipse(u, v, 0.6, 0.28, 0.055, 0.085);
    if (ellipse(u, v, 0.6, 0.68, 0.13, 0.3) < 1.0) t = 29.5 + 1.0 * (1.0 - v);
    if (u > 0.575 && u < 0.625 && v > 0.35 && v < 0.4) t = 33.5;
    if (head < 1.0) t = 35.5 - 2.0 * head;
    // The kettle on a table, with its spout and a plume of warm air above it.
    const double kettle = ellipse(u, v, 0.25, 0.72, 0.07, 0.08);
    if (kettle < 1.0) t = 95.0 - 10.0 * kettle;
    if (u > 0.31 && u < 0.36 && v > 0.66 && v < 0.69) t = 80.0;
    if (kettle >= 1.0 && v < 0.64 && v > 0.5 && std::abs(u - 0.25) < 0.04) {
        t += 4.0 * (v - 0.5) / 0.14;
    }
    return t;
}

}  // namespace

std::vector<int16_t> y16Scene(int32_t width, int32_t height, uint64_t seed) {
    if (width <= 0 || height <= 0) return {};
    std::vector<int16_t> out(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    SplitMix64 rng(seed);
    for (int32_t y = 0; y < height; ++y) {
        const double v = (y + 0.5) / height;
        for (int32_t x = 0; x < width; ++x) {
            const double u = (x + 0.5) / width;
            // Vignetting: the corners read about 150 counts low.
            const double r2 = ((u - 0.5) * (u - 0.5) + (v - 0.5) * (v - 0.5)) * 2.0;
            const double counts = kCountsAt20C + kCountsPerKelvin * (sceneTemperature(u, v) - 20.0) -
                                  150.0 * r2 + 4.0 * rng.normal();
            out[static_cast<std::size_t>(y) * width + x] =
                static_cast<int16_t>(std::clamp(std::lround(counts), 0L, long(kY16StuckBright)));
        }
    }
    // A few stuck-bright pixels, one per 40000 or at least three.
    const int64_t pixels = int64_t(width) * height;
    for (int64_t i = 0; i < std::max<int64_t>(3, pixels / 40000); ++i) {
        out[static_cast<std::size_t>(rng.next() % static_cast<uint64_t>(pixels))] = kY16StuckBright;
    }
    return out;
}

}  // namespace kmm::scenes
