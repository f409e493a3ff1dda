// The real 640 x 512 camera frames: the street sequence and the aerial frame kept in the tree
// (examples/frames), and the sea-ice frame when ../shared/data sits beside the checkout.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

namespace kmm {

inline constexpr int32_t kRealWidth = 640, kRealHeight = 512;
inline constexpr size_t kRealPixels = size_t(kRealWidth) * kRealHeight;

// Every frame of a headerless little-endian 16-bit file, as unsigned samples; empty when the
// file is missing.
inline std::vector<std::vector<uint16_t>> readRawFrames(const std::filesystem::path& path) {
    std::vector<std::vector<uint16_t>> frames;
    std::ifstream in(path, std::ios::binary);
    std::vector<unsigned char> bytes(kRealPixels * 2);
    while (in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()))) {
        auto& frame = frames.emplace_back(kRealPixels);
        for (size_t i = 0; i < kRealPixels; ++i) frame[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    }
    return frames;
}

// All real frames, read as signed Y16 (values above 32767 come out negative).
inline std::vector<std::vector<int16_t>> realFramesY16() {
    std::vector<std::vector<int16_t>> out;
    const std::filesystem::path files[] = {
        std::filesystem::path(KMM_FRAMES_DIR) / "street_640x512x4.u16le.raw",
        std::filesystem::path(KMM_FRAMES_DIR) / "aerial_640x512.u16le.raw",
        std::filesystem::path(KMM_SHARED_DATA_DIR) / "seaice_640x512.u16le.raw",
    };
    for (const auto& file : files)
        for (const auto& frame : readRawFrames(file)) out.emplace_back(frame.begin(), frame.end());
    return out;
}

}  // namespace kmm
