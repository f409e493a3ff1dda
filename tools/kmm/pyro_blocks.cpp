// The synthetic closed-library blocks of the kmm demo, checksums and pyro defaults.
#include "pyro_blocks.h"

#include <cmath>
#include <cstring>

#include "pyro_scene.h"

namespace kmm::tool {

PyroBlocks demoBlocks(int width, int height, int rangeMode) {
    PyroBlocks b;
    b.width = width;
    b.height = height;
    b.frame.assign(size_t(width) * size_t(height), 0);
    b.calib = scenes::pyroCalibrationBlock();
    b.sceneA = scenes::pyroSceneBlock(0x11, 256);
    b.sceneB = scenes::pyroSceneBlock(0x22, 128);
    b.sceneC = scenes::pyroSceneBlock(0x33, 64);
    b.paramLine = scenes::pyroParamLine(rangeMode, {{172, 2650},   // reading R
                                                    {820, 2500},   // reference Q
                                                    {792, 10},     // first break point
                                                    {794, 30},     // second break point
                                                    {796, 12},     // base offset
                                                    {798, 80},     // slope 1 base 0.80
                                                    {802, 20},     // slope 1 above 2500
                                                    {804, 120},    // slope 2 base
                                                    {810, 150},    // slope 3 base
                                                    {818, 1}});
    return b;
}

}  // namespace kmm::tool

namespace kmm::tool {

std::string calibrationBlockProblem(const std::vector<uint8_t>& block) {
    auto u16 = [&](size_t at) { return unsigned(block[at] | block[at + 1] << 8); };
    auto f32 = [&](size_t at) {
        const uint32_t bits = uint32_t(block[at]) | uint32_t(block[at + 1]) << 8 |
                              uint32_t(block[at + 2]) << 16 | uint32_t(block[at + 3]) << 24;
        float v;
        std::memcpy(&v, &bits, sizeof v);
        return double(v);
    };
    auto positive = [](double v) { return std::isfinite(v) && v > 0; };
    if (block.size() < 28 || std::memcmp(block.data(), "KPCB", 4) != 0)
        return "it does not start with \"KPCB\"";
    if (u16(4) != 2) return "its version is " + std::to_string(u16(4)) + ", not 2";
    const size_t ranges = u16(6);
    if (ranges < 1 || ranges > 4) return "it names " + std::to_string(ranges) + " ranges, not 1 to 4";
    if (block.size() < 28 + 12 * ranges)
        return "it is " + std::to_string(block.size()) + " bytes, short of its " +
               std::to_string(ranges) + " ranges";
    if (!positive(f32(8)) || !positive(f32(12)) || !positive(f32(16)) || !(f32(20) >= 0) ||
        f32(20) > 1 || !std::isfinite(f32(24)))
        return "its Planck constants are out of range (R1, R2, B positive, F within 0..1, O finite)";
    for (size_t i = 0; i < ranges; ++i) {
        const size_t at = 28 + 12 * i;
        if (!positive(f32(at)) || !std::isfinite(f32(at + 4)) || !positive(f32(at + 8)))
            return "range " + std::to_string(i) + " has a gain or exponent that is not positive";
    }
    return {};
}

}  // namespace kmm::tool
