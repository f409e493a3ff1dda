// File helpers of the kmm tool: raw frames in (whole frames only, one picked by number), PNG
// pictures and output files out (`-` is standard output), size and range texts. Every refusal
// is a ToolError that names the file and, for the system's refusals, its reason.
#pragma once

#include <cstdint>
#include <cstdio>
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
// "LO:HI" -> {LO, HI}: finite numbers with LO < HI; throws ToolError on anything else.
std::pair<double, double> parseRange(const std::string& text);

std::vector<uint8_t> readBytes(const std::filesystem::path& path);
// Frame `index` of a headerless little-endian file of whole frames back to back, and in
// *frames (when given) how many it holds. index < 0 asks for the only frame: a file of several
// is refused with their count.
std::vector<uint16_t> readU16Frame(const std::filesystem::path& path, FrameSize size, int index,
                                   size_t* frames = nullptr);
std::vector<float> readF32Frame(const std::filesystem::path& path, FrameSize size, int index,
                                size_t* frames = nullptr);

// Where the result lines go: standard output, or standard error once a result file is
// written to standard output.
std::FILE* messages();

// What the extension asks for: .png, .npy, .tif/.tiff, or headerless samples (.raw, .f32,
// .u16, .bin). `-` (standard output) gives the first accepted format.
enum class FileFormat { Png, Npy, Tiff, Raw };
FileFormat formatOf(const std::filesystem::path& path, const std::vector<FileFormat>& accepted);

// A file being written; `-` is standard output. Unless close() succeeds, a file it created is
// removed again, so a refusal leaves nothing half-written behind.
class OutputFile {
public:
    explicit OutputFile(const std::filesystem::path& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    std::FILE* stream() const { return file_; }
    void write(const void* data, size_t size);
    void close();
    [[noreturn]] void fail(const std::string& what);

private:
    std::filesystem::path path_;
    std::FILE* file_;
    bool isStdout_;
};

void writeGreyPng(const std::filesystem::path& path, const uint8_t* grey, int width, int height);
void writeRgbPng(const std::filesystem::path& path, const uint8_t* rgb, int width, int height);

}  // namespace kmm::tool
