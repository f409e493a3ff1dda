// File helpers of the kmm tool: raw frames in, PNG pictures out, size and range options.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace kmm::tool {

struct FrameSize {
    int width = 0;
    int height = 0;
    int64_t pixels() const { return int64_t(width) * height; }
};

// "640x512" -> {640, 512}; throws ToolError on anything else.
FrameSize parseSize(const std::string& text);
// "LO:HI" -> {LO, HI} as doubles; throws ToolError on anything else.
std::pair<double, double> parseRange(const std::string& text);

std::vector<uint8_t> readBytes(const std::filesystem::path& path);
// Little-endian 16-bit samples; the file must hold at least `count` of them.
std::vector<uint16_t> readU16(const std::filesystem::path& path, int64_t count);
// Little-endian float32 samples; the file must hold at least `count` of them.
std::vector<float> readF32(const std::filesystem::path& path, int64_t count);
void writeU16(const std::filesystem::path& path, const std::vector<int16_t>& samples);

void writeGreyPng(const std::filesystem::path& path, const uint8_t* grey, int width, int height);
void writeRgbPng(const std::filesystem::path& path, const uint8_t* rgb, int width, int height);

}  // namespace kmm::tool
