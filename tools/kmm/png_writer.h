// The tool's PNG writer: 8-bit pictures, grey (1 channel) or RGB (3 channels), row by row.
// Built on libpng where the build has it, on the tool's own uncompressed writer elsewhere.
#pragma once

#include <cstdint>
#include <filesystem>

namespace kmm::tool {

void writePng(const std::filesystem::path& path, const uint8_t* pixels, int width, int height,
              int channels);

}  // namespace kmm::tool
