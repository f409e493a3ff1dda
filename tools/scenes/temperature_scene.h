// A deterministic synthetic temperature matrix (degC): a room with a window, a radiator and
// a person; the second frame adds a hot plate well above 200 degC.
#pragma once

#include <cstdint>
#include <vector>

namespace kmm::scenes {

// width x height temperatures in degC, row-major. frame 0: the room and the person (about
// 12 to 45 degC); frame 1: the same with a hot plate (about 200 to 320 degC) on the right.
// The same arguments give the same values on every machine.
std::vector<float> temperatureScene(int32_t width, int32_t height, int32_t frame);

}  // namespace kmm::scenes
