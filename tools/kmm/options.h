// The checks every kmm command shares, as CLI11 validators, so that a bad value is refused
// while the command line is read, with one line naming the option and what it takes: numbers
// in their documented range, sizes, ranges, output extensions, and the input frame options.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "io.h"

namespace CLI {
class App;
class Option;
class Validator;
}  // namespace CLI

namespace kmm::tool {

// The whole text as a finite number, or nothing.
std::optional<double> finiteNumber(const std::string& text);

// A finite number from `low` (excluded when lowOpen) to `high` (+inf: no upper end).
CLI::Validator finiteWithin(double low, double high, bool lowOpen = false);
// Any finite number.
CLI::Validator finite();
// Emissivity and transmission: (0, 1].
CLI::Validator fraction();
// A finite temperature above absolute zero, degC.
CLI::Validator celsius();
// WIDTHxHEIGHT; LO:HI with finite LO < HI; an output path whose extension gives one of the
// accepted formats.
CLI::Validator sizeText();
CLI::Validator rangeText();
// "A,B,...": one whole number per range, each within its range; ToolError saying what the
// text should be otherwise.
std::vector<int64_t> parseWholeNumbers(const std::string& text,
                                       const std::vector<std::pair<int64_t, int64_t>>& ranges);
CLI::Validator wholeNumbersText(std::vector<std::pair<int64_t, int64_t>> ranges);
CLI::Validator outputPath(std::vector<FileFormat> accepted);

// The palettes by name, in palette number order (red-top 0 ... white-hot 6), and the number
// of a name (ToolError for none).
const std::vector<std::string>& paletteNames();
uint32_t paletteNumber(const std::string& name);

// -o,--out PNG (default: the value `output` holds), `-` for standard output.
void addPngOutput(CLI::App* cmd, std::string& output);

// The input of a frame command: the file, --size WxH and --frame N for a file of several.
struct FrameInput {
    std::string path;
    std::string sizeText;
    int frame = -1;  // -1: the file must hold one frame

    void addTo(CLI::App* cmd, const char* description);
    FrameSize size() const { return parseSize(sizeText); }
    // The frame; with --frame, says on standard error which of how many it is.
    std::vector<uint16_t> readU16() const;
    std::vector<float> readF32() const;
};

}  // namespace kmm::tool
