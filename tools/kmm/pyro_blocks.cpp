// The synthetic closed-library blocks of the kmm demo, checksums and pyro defaults.
#include "pyro_blocks.h"

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
