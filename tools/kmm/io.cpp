// File helpers of the kmm tool: little-endian raw samples, PNG pictures.
#include "io.h"

#include <charconv>
#include <cstring>
#include <fstream>

#include "png_writer.h"
#include "tool.h"

namespace kmm::tool {
namespace {

int parsePositive(std::string_view text, const std::string& whole) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value <= 0)
        throw ToolError("bad size '" + whole + "': expected WIDTHxHEIGHT, e.g. 640x512");
    return value;
}

double parseNumber(const std::string& text, const std::string& whole) {
    try {
        size_t used = 0;
        double v = std::stod(text, &used);
        if (used == text.size()) return v;
    } catch (const std::exception&) {
    }
    throw ToolError("bad range '" + whole + "': expected LO:HI, e.g. 20:40");
}

}  // namespace

FrameSize parseSize(const std::string& text) {
    const auto x = text.find_first_of("xX");
    if (x == std::string::npos)
        throw ToolError("bad size '" + text + "': expected WIDTHxHEIGHT, e.g. 640x512");
    std::string_view view{text};
    FrameSize size{parsePositive(view.substr(0, x), text), parsePositive(view.substr(x + 1), text)};
    if (size.pixels() > (int64_t(1) << 28)) throw ToolError("size '" + text + "' is too large");
    return size;
}

std::pair<double, double> parseRange(const std::string& text) {
    // Split at the last ':' that is not a leading sign position, so "-20:-5" works.
    const auto colon = text.find(':', 1);
    if (colon == std::string::npos)
        throw ToolError("bad range '" + text + "': expected LO:HI, e.g. 20:40");
    return {parseNumber(text.substr(0, colon), text), parseNumber(text.substr(colon + 1), text)};
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<uint16_t> readU16(const std::filesystem::path& path, int64_t count) {
    const auto bytes = readBytes(path);
    if (int64_t(bytes.size()) < count * 2)
        throw ToolError(path.string() + " holds " + std::to_string(bytes.size() / 2) +
                        " 16-bit samples, " + std::to_string(count) + " needed");
    std::vector<uint16_t> out(static_cast<size_t>(count));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

std::vector<float> readF32(const std::filesystem::path& path, int64_t count) {
    const auto bytes = readBytes(path);
    if (int64_t(bytes.size()) < count * 4)
        throw ToolError(path.string() + " holds " + std::to_string(bytes.size() / 4) +
                        " float samples, " + std::to_string(count) + " needed");
    std::vector<float> out(static_cast<size_t>(count));
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t bits = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
                              uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24;
        std::memcpy(&out[i], &bits, sizeof bits);
    }
    return out;
}

void writeU16(const std::filesystem::path& path, const std::vector<int16_t>& samples) {
    std::ofstream out(path, std::ios::binary);
    if (!out) throw ToolError("cannot write " + path.string());
    for (int16_t s : samples) {
        const auto u = uint16_t(s);
        const char le[2] = {char(u & 0xFF), char(u >> 8)};
        out.write(le, 2);
    }
}

void writeGreyPng(const std::filesystem::path& path, const uint8_t* grey, int width, int height) {
    writePng(path, grey, width, height, 1);
}

void writeRgbPng(const std::filesystem::path& path, const uint8_t* rgb, int width, int height) {
    writePng(path, rgb, width, height, 3);
}

}  // namespace kmm::tool
