// A deterministic synthetic raw frame (14-bit Y16 counts) of a room: background, a window,
// a person, a hot kettle, sensor noise, mild vignetting and a few stuck-bright pixels.
#pragma once

#include <cstdint>
#include <vector>

namespace kmm::scenes {

// The brightest value a 14-bit sensor gives: what a stuck-bright pixel reads.
inline constexpr int16_t kY16StuckBright = 16383;

// width x height Y16 values, row-major, about 7400 (cold window) to 11000 (kettle) with
// a handful of pixels at kY16StuckBright. Shapes are placed relative to the frame size, so
// every size shows the same picture; the same arguments give the same values everywhere.
std::vector<int16_t> y16Scene(int32_t width, int32_t height, uint64_t seed = 1);

}  // namespace kmm::scenes
