// Matrices out of the tool, by the file's extension: .npy (numpy), .tif/.tiff (one-channel
// TIFF, when built with libtiff), anything else headerless little-endian samples (.f32 for
// temperatures, .raw/.u16 for counts).
#pragma once

#include <cstdint>
#include <filesystem>

#include "io.h"

namespace kmm::tool {

void writeMatrix(const std::filesystem::path& path, const float* values, FrameSize size);
void writeMatrix(const std::filesystem::path& path, const uint16_t* values, FrameSize size);

}  // namespace kmm::tool
