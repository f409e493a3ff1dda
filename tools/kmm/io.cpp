// File helpers of the kmm tool: little-endian raw frames, output files, PNG pictures.
#include "io.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>

#include "png_writer.h"
#include "tool.h"

namespace kmm::tool {
namespace {

bool resultsOnStdout = false;

int parsePositive(std::string_view text, const std::string& whole) {
    int value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value <= 0)
        throw ToolError("bad size '" + whole + "': expected WIDTHxHEIGHT, e.g. 640x512");
    return value;
}

double parseFinite(const std::string& text, const std::string& whole) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    throw ToolError("bad range '" + whole + "': expected LO:HI, two finite numbers, e.g. 20:40");
}

std::string systemReason() { return std::strerror(errno); }

std::string lowerExtension(const std::filesystem::path& path) {
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    return ext;
}

// The bytes of frame `index` of a file of whole frames of `frameBytes` each.
std::vector<uint8_t> readFrameBytes(const std::filesystem::path& path, FrameSize size,
                                    int sampleBytes, int index, size_t* frameCount) {
    const std::vector<uint8_t> bytes = readBytes(path);
    const size_t frameBytes = size_t(size.pixels()) * size_t(sampleBytes);
    const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height) +
                             " frames of " + std::to_string(8 * sampleBytes) + "-bit samples (" +
                             std::to_string(frameBytes) + " bytes each)";
    if (bytes.empty() || bytes.size() % frameBytes != 0)
        throw ToolError(path.string() + " holds " + std::to_string(bytes.size()) +
                        " bytes, not a whole number of " + what + ": check --size");
    const size_t frames = bytes.size() / frameBytes;
    const std::string count = path.string() + " holds " + std::to_string(frames) + " " + what;
    if (index < 0 && frames > 1)
        throw ToolError(count + ": pick one with --frame 0.." + std::to_string(frames - 1));
    if (index >= 0 && size_t(index) >= frames)
        throw ToolError(count + ": --frame " + std::to_string(index) + " is not among them");
    if (frameCount != nullptr) *frameCount = frames;
    const auto first = bytes.begin() + std::ptrdiff_t(size_t(std::max(index, 0)) * frameBytes);
    return {first, first + std::ptrdiff_t(frameBytes)};
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
    // Split at the first ':' after the first character, so "-20:-5" works.
    const auto colon = text.find(':', 1);
    if (colon == std::string::npos)
        throw ToolError("bad range '" + text + "': expected LO:HI, e.g. 20:40");
    const double lo = parseFinite(text.substr(0, colon), text);
    const double hi = parseFinite(text.substr(colon + 1), text);
    if (!(lo < hi)) throw ToolError("bad range '" + text + "': LO must be below HI");
    return {lo, hi};
}

std::vector<uint8_t> readBytes(const std::filesystem::path& path) {
    errno = 0;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(path.string().c_str(), "rb"), &std::fclose);
    if (!file) throw ToolError("cannot read " + path.string() + ": " + systemReason());
    std::vector<uint8_t> bytes;
    uint8_t chunk[1 << 16];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get()))
        throw ToolError("cannot read " + path.string() + ": " + systemReason());
    return bytes;
}

std::vector<uint16_t> readU16Frame(const std::filesystem::path& path, FrameSize size, int index,
                                   size_t* frames) {
    const auto bytes = readFrameBytes(path, size, 2, index, frames);
    std::vector<uint16_t> out(bytes.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = uint16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return out;
}

std::vector<float> readF32Frame(const std::filesystem::path& path, FrameSize size, int index,
                                size_t* frames) {
    const auto bytes = readFrameBytes(path, size, 4, index, frames);
    std::vector<float> out(bytes.size() / 4);
    for (size_t i = 0; i < out.size(); ++i) {
        const uint32_t bits = uint32_t(bytes[4 * i]) | uint32_t(bytes[4 * i + 1]) << 8 |
                              uint32_t(bytes[4 * i + 2]) << 16 | uint32_t(bytes[4 * i + 3]) << 24;
        std::memcpy(&out[i], &bits, sizeof bits);
    }
    return out;
}

std::FILE* messages() { return resultsOnStdout ? stderr : stdout; }

FileFormat formatOf(const std::filesystem::path& path, const std::vector<FileFormat>& accepted) {
    if (path == "-") return accepted.front();
    const std::string ext = lowerExtension(path);
    struct Known {
        const char* ext;
        FileFormat format;
    };
    static const Known known[] = {{".png", FileFormat::Png}, {".npy", FileFormat::Npy},
                                  {".tif", FileFormat::Tiff}, {".tiff", FileFormat::Tiff},
                                  {".raw", FileFormat::Raw},  {".f32", FileFormat::Raw},
                                  {".u16", FileFormat::Raw},  {".bin", FileFormat::Raw}};
    for (const Known& k : known)
        if (ext == k.ext && std::find(accepted.begin(), accepted.end(), k.format) != accepted.end())
            return k.format;
    std::string names;
    for (FileFormat f : accepted) {
        static const char* const kNames[] = {".png", ".npy", ".tiff", ".raw/.f32/.u16"};
        names += std::string(names.empty() ? "" : ", ") + kNames[int(f)];
    }
    throw ToolError("cannot write '" + path.string() + "': the extension must be one of " +
                    names + " (or - for standard output)");
}

OutputFile::OutputFile(const std::filesystem::path& path)
    : path_(path), file_(nullptr), isStdout_(path == "-") {
    if (isStdout_) {
        file_ = stdout;
        resultsOnStdout = true;
        return;
    }
    errno = 0;
    file_ = std::fopen(path.string().c_str(), "wb");
    if (file_ == nullptr) throw ToolError("cannot write " + path.string() + ": " + systemReason());
}

OutputFile::~OutputFile() {
    if (file_ == nullptr || isStdout_) return;
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void OutputFile::write(const void* data, size_t size) {
    if (size != 0 && std::fwrite(data, 1, size, file_) != size) fail("cannot write");
}

void OutputFile::close() {
    if (isStdout_) {
        if (std::fflush(file_) != 0) fail("cannot write");
        return;
    }
    const bool ok = std::fclose(file_) == 0;
    file_ = nullptr;
    if (ok) return;
    const int reason = errno;
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
    errno = reason;
    fail("cannot write");
}

void OutputFile::fail(const std::string& what) {
    const std::string reason = errno != 0 ? ": " + systemReason() : std::string();
    throw ToolError(what + " " + (isStdout_ ? std::string("standard output") : path_.string()) +
                    reason);
}

void writeGreyPng(const std::filesystem::path& path, const uint8_t* grey, int width, int height) {
    formatOf(path, {FileFormat::Png});
    OutputFile out(path);
    writePng(out, grey, width, height, 1, 8);
    out.close();
}

void writeRgbPng(const std::filesystem::path& path, const uint8_t* rgb, int width, int height) {
    formatOf(path, {FileFormat::Png});
    OutputFile out(path);
    writePng(out, rgb, width, height, 3, 8);
    out.close();
}

}  // namespace kmm::tool
