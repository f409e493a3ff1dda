// Validators shared by the kmm commands, each turning a bad value into one line that names what
// the option takes, and the reading of a command's input frame.
#include "options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "tool.h"

namespace kmm::tool {
namespace {

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

// A validator from a parser that throws ToolError on what it refuses.
template <class Parse>
CLI::Validator byParser(Parse parse, const char* description) {
    return CLI::Validator(
        [parse](std::string& text) -> std::string {
            try {
                parse(text);
            } catch (const ToolError& e) {
                return e.what();
            }
            return {};
        },
        description);
}

}  // namespace

std::optional<double> finiteNumber(const std::string& text) {
    try {
        size_t used = 0;
        const double v = std::stod(text, &used);
        if (used == text.size() && std::isfinite(v)) return v;
    } catch (const std::exception&) {
    }
    return std::nullopt;
}

CLI::Validator finiteWithin(double low, double high, bool lowOpen) {
    const std::string range = std::string(lowOpen ? "(" : "[") + number(low) + ", " +
                              (std::isinf(high) ? "inf)" : number(high) + "]");
    return CLI::Validator(
        [=](std::string& text) -> std::string {
            const auto v = finiteNumber(text);
            if (!v) return "'" + text + "' is not a finite number";
            if (*v < low || *v > high || (lowOpen && *v == low))
                return "'" + text + "' is outside " + range;
            return {};
        },
        "in " + range);
}

CLI::Validator finite() {
    return CLI::Validator(
        [](std::string& text) -> std::string {
            return finiteNumber(text) ? "" : "'" + text + "' is not a finite number";
        },
        "finite");
}

CLI::Validator fraction() { return finiteWithin(0, 1, true); }

CLI::Validator celsius() { return finiteWithin(-273.15, HUGE_VAL, true); }

CLI::Validator sizeText() { return byParser(parseSize, "WxH"); }

CLI::Validator rangeText() { return byParser(parseRange, "LO:HI"); }

std::vector<int64_t> parseWholeNumbers(const std::string& text,
                                       const std::vector<std::pair<int64_t, int64_t>>& ranges) {
    std::string expected;
    for (const auto& [low, high] : ranges)
        expected += (expected.empty() ? "" : ",") + std::to_string(low) + ".." + std::to_string(high);
    const ToolError refusal("'" + text + "': expected " + expected + ", whole numbers");
    std::vector<int64_t> values;
    const char* at = text.data();
    const char* const end = at + text.size();
    for (const auto& [low, high] : ranges) {
        if (!values.empty() && (at == end || *at++ != ',')) throw refusal;
        int64_t v = 0;
        const auto [next, ec] = std::from_chars(at, end, v);
        if (ec != std::errc{} || v < low || v > high) throw refusal;
        values.push_back(v);
        at = next;
    }
    if (at != end) throw refusal;
    return values;
}

CLI::Validator wholeNumbersText(std::vector<std::pair<int64_t, int64_t>> ranges) {
    return byParser([ranges](const std::string& text) { parseWholeNumbers(text, ranges); },
                    "A,B");
}

CLI::Validator outputPath(std::vector<FileFormat> accepted) {
    return byParser([accepted](const std::string& path) { formatOf(path, accepted); }, "FILE");
}

const std::vector<std::string>& paletteNames() {
    static const std::vector<std::string> names = {"red-top",   "cubehelix", "rainbow",  "iron",
                                                   "cool-warm", "black-hot", "white-hot"};
    return names;
}

uint32_t paletteNumber(const std::string& name) {
    const auto& names = paletteNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return uint32_t(i);
    throw ToolError("no palette " + name);
}

void addPngOutput(CLI::App* cmd, std::string& output) {
    cmd->add_option("-o,--out", output, "PNG to write (- for standard output)")
        ->capture_default_str()
        ->check(outputPath({FileFormat::Png}));
}

void FrameInput::addTo(CLI::App* cmd, const char* description) {
    cmd->add_option("input", path, description)->required();
    cmd->add_option("-s,--size", sizeText, "frame size WxH, e.g. 640x512")
        ->required()
        ->check(tool::sizeText());
    cmd->add_option("--frame", frame,
                    "which frame of a file of several back to back, from 0 (default: the file "
                    "must hold one)")
        ->check(CLI::NonNegativeNumber);
}

namespace {

// Mean difference between samples `step` apart: rows `width` apart in a real image differ
// far less than samples one row and a bit apart, which is what a swapped size puts together.
template <class T>
double roughness(const std::vector<T>& v, size_t step) {
    double sum = 0;
    size_t count = 0;
    for (size_t i = 0; i + step < v.size(); ++i) {
        const double d = std::fabs(double(v[i + step]) - double(v[i]));
        if (std::isfinite(d)) sum += d, ++count;
    }
    return count == 0 ? 0 : sum / double(count);
}

template <class T>
void refuseSwappedSize(const FrameInput& in, const std::vector<T>& frame) {
    const FrameSize size = in.size();
    if (size.width == size.height || size.width < 4 || size.height < 4) return;
    const double given = roughness(frame, size_t(size.width));
    const double swapped = roughness(frame, size_t(size.height));
    if (swapped * 3 < given)
        throw ToolError(in.path + " looks like a " + std::to_string(size.height) + "x" +
                        std::to_string(size.width) + " frame, not " + in.sizeText +
                        ": its rows line up at that width; check --size");
}

template <class T>
std::vector<T> readFrame(const FrameInput& in,
                         std::vector<T> (*read)(const std::filesystem::path&, FrameSize, int,
                                                size_t*)) {
    size_t frames = 0;
    std::vector<T> out = read(in.path, in.size(), in.frame, &frames);
    refuseSwappedSize(in, out);
    if (in.frame >= 0) std::fprintf(stderr, "kmm: frame %d of %zu\n", in.frame, frames);
    return out;
}

}  // namespace

std::vector<uint16_t> FrameInput::readU16() const { return readFrame(*this, readU16Frame); }
std::vector<float> FrameInput::readF32() const { return readFrame(*this, readF32Frame); }

}  // namespace kmm::tool
