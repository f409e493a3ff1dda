// The tool's PNG writer: grey (1 channel) or RGB (3 channels), 8 or 16 bits a sample, row by
// row; 16-bit samples come big-endian, as PNG stores them. Built on libpng where the build has
// it, on the tool's own uncompressed writer elsewhere.
#pragma once

#include <cstdint>

#include "io.h"

namespace kmm::tool {

void writePng(OutputFile& out, const uint8_t* samples, int width, int height, int channels,
              int bitDepth);

}  // namespace kmm::tool
