// `kmm y16`, `kmm y16ad` and `kmm resize`: a raw Y16 file to a grey PNG through the window or
// the AGC, through the linear percentile stretch, and enlarged by a whole factor; and the
// demo's synthetic raw room frame through all of them.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "io.h"
#include "matrix_file.h"
#include "options.h"
#include "tool.h"
#include "y16_scene.h"

namespace kmm::tool {
namespace {

// The library's Y16 is signed: unsigned samples are taken bit for bit, so values above 32767
// come out negative (real cameras give 14 bits, far below that); ranges and printed values
// are converted the same way, and results go back to the file's scale.
struct Y16Input {
    FrameInput frame;
    bool isUnsigned = false;

    void addTo(CLI::App* cmd) {
        frame.addTo(cmd, "raw frame: little-endian 16-bit, row-major");
        cmd->add_flag("-u,--unsigned", isUnsigned,
                      "samples and --range are unsigned 0..65535 (the library reads them bit for bit "
                      "as signed Y16, so values above 32767 count as negative)");
    }
    int32_t toFile(int16_t y16) const { return isUnsigned ? int32_t(uint16_t(y16)) : y16; }
    std::vector<int16_t> read(FrameSize& size) const {
        size = frame.size();
        std::vector<int16_t> y16;
        for (uint16_t s : frame.readU16()) y16.push_back(int16_t(s));
        return y16;
    }
    // "LO:HI" in the file's scale -> {lo, hi} as signed Y16.
    std::pair<int16_t, int16_t> window(const std::string& text) const {
        const auto [lo, hi] = parseRange(text);
        const double first = isUnsigned ? 0 : -32768, last = isUnsigned ? 65535 : 32767;
        for (double v : {lo, hi}) {
            if (v != std::floor(v) || v < first || v > last) {
                throw ToolError("bad range '" + text + "': whole numbers from " +
                                std::to_string(int(first)) + " to " + std::to_string(int(last)));
            }
        }
        return {int16_t(uint16_t(int32_t(lo))), int16_t(uint16_t(int32_t(hi)))};
    }
};

struct Y16Options {
    Y16Input in;
    std::string output = "y16.png";
    std::string model = "DV17";
    std::string range;
};

void setupY16(CLI::App& app) {
    static Y16Options o;
    auto* cmd = app.add_subcommand(
        "y16", "Map a raw Y16 frame to a grey PNG (Y16Mapping_dll): a manual window, or the "
               "automatic gain control of the model");
    o.in.addTo(cmd);
    addPngOutput(cmd, o.output);
    cmd->add_option("-m,--model", o.model,
                    "camera model for the automatic range: DV13..DV16 half-resolution AGC, "
                    "DV17, DV18 full-resolution AGC with sharpening (each also with -W)")
        ->capture_default_str();
    cmd->add_option("-r,--range", o.range,
                    "manual display window LO:HI in raw counts (default: automatic)")
        ->check(rangeText());
    cmd->callback([] {
        FrameSize size;
        const std::vector<int16_t> y16 = o.in.read(size);
        const bool autoRange = o.range.empty();
        const auto [low, high] = autoRange ? std::pair<int16_t, int16_t>{} : o.in.window(o.range);
        // Two different fillings that both survive mean the model has no automatic range.
        std::vector<uint8_t> grey(y16.size(), 0), probe(y16.size(), 1);
        Y16Mapping_dll(o.model.c_str(), y16.data(), grey.data(), size.width, size.height,
                       &high, &low, autoRange);
        if (autoRange) {
            Y16Mapping_dll(o.model.c_str(), y16.data(), probe.data(), size.width, size.height,
                           &high, &low, true);
            if (grey != probe) {
                throw ToolError("model '" + o.model + "' has no automatic range: use DV13..DV18 "
                                "(or their -W variants), or give --range LO:HI");
            }
        }
        writeGreyPng(o.output, grey.data(), size.width, size.height);
        if (autoRange) {
            std::fprintf(messages(), "%s: automatic gain control -> %s\n", o.model.c_str(), o.output.c_str());
        } else {
            std::fprintf(messages(), "window %d .. %d -> %s\n", o.in.toFile(low), o.in.toFile(high),
                        o.output.c_str());
        }
    });
}

struct StretchOptions {
    Y16Input in;
    std::string output = "y16ad.png";
    int32_t contrast = 255;
    int32_t brightness = 100;
    std::string range;
};

void setupStretch(CLI::App& app) {
    static StretchOptions o;
    auto* cmd = app.add_subcommand(
        "y16ad", "Map a raw Y16 frame to a grey PNG by one linear stretch (Y16MappingAD_dll): "
                 "limits 655 pixels in from each end, or given");
    o.in.addTo(cmd);
    addPngOutput(cmd, o.output);
    cmd->add_option("-c,--contrast", o.contrast, "grey span given to the range between the limits")
        ->capture_default_str()
        ->check(CLI::Range(1, 255));
    cmd->add_option("-b,--brightness", o.brightness, "grey level of the mean")
        ->capture_default_str()
        ->check(CLI::Range(0, 255));
    cmd->add_option("-r,--range", o.range, "limits LO:HI in raw counts (default: automatic)")
        ->check(rangeText());
    cmd->callback([] {
        FrameSize size;
        const std::vector<int16_t> y16 = o.in.read(size);
        const bool autoRange = o.range.empty();
        auto [low, high] = autoRange ? std::pair<int16_t, int16_t>{} : o.in.window(o.range);
        if (!autoRange && high < low) {
            throw ToolError("empty range '" + o.range + "': LO must not exceed HI (as signed Y16)");
        }
        std::vector<uint8_t> grey(y16.size(), 0);
        Y16MappingAD_dll(y16.data(), grey.data(), o.contrast, o.brightness, size.width,
                         size.height, &high, &low, autoRange ? 1 : 0);
        writeGreyPng(o.output, grey.data(), size.width, size.height);
        std::fprintf(messages(), "%s limits %d .. %d -> %s\n", autoRange ? "automatic" : "manual",
                    o.in.toFile(low), o.in.toFile(high), o.output.c_str());
    });
}

struct ResizeOptions {
    Y16Input in;
    std::string output = "resized.raw";
    std::string png;
    int32_t factor = 2;
};

void setupResize(CLI::App& app) {
    static ResizeOptions o;
    auto* cmd = app.add_subcommand(
        "resize", "Enlarge a raw 16-bit frame by a whole factor, bilinear (image_resize_dll)");
    o.in.addTo(cmd);
    cmd->add_option("-f,--factor", o.factor, "enlargement factor, 1 or more")
        ->capture_default_str()
        ->check(CLI::Range(1, 64));
    cmd->add_option("-o,--out", o.output,
                    "file to write, the input's samples: .raw/.u16, .npy, .tiff or 16-bit .png")
        ->capture_default_str()
        ->check(outputPath({FileFormat::Raw, FileFormat::Npy, FileFormat::Tiff, FileFormat::Png}));
    cmd->add_option("--png", o.png, "also write a preview PNG (automatic linear stretch)")
        ->check(outputPath({FileFormat::Png}));
    cmd->callback([] {
        FrameSize size;
        const std::vector<int16_t> y16 = o.in.read(size);
        if (size.width < 2 || size.height < 2) throw ToolError("the frame must be at least 2x2");
        const FrameSize big{size.width * o.factor, size.height * o.factor};
        if (big.pixels() > (int64_t(1) << 28)) throw ToolError("the result would be too large");
        std::vector<int16_t> out(size_t(big.pixels()));
        image_resize_dll(out.data(), y16.data(), size.height, size.width, o.factor);
        if (!o.png.empty()) {
            std::vector<uint8_t> grey(out.size());
            int16_t high = 0, low = 0;
            Y16MappingAD_dll(out.data(), grey.data(), 255, 100, big.width, big.height, &high,
                             &low, 1);
            writeGreyPng(o.png, grey.data(), big.width, big.height);
        }
        std::vector<uint16_t> samples(out.begin(), out.end());  // bit for bit
        writeMatrix(o.output, samples.data(), big);
        std::fprintf(messages(), "%dx%d x%d -> %dx%d %s\n", size.width, size.height, o.factor, big.width,
                    big.height, o.output.c_str());
    });
}

void demoY16(DemoContext& ctx) {
    constexpr int32_t kWidth = 640, kHeight = 512;
    const std::vector<int16_t> scene = scenes::y16Scene(kWidth, kHeight);
    const auto [lowest, highest] = std::minmax_element(scene.begin(), scene.end());
    char line[200];
    std::snprintf(line, sizeof line, "synthetic raw room frame %dx%d, Y16 %d .. %d\n", kWidth,
                  kHeight, *lowest, *highest);
    ctx.summary << line;
    auto write = [&](const char* file, const std::vector<uint8_t>& grey, int32_t w, int32_t h,
                     const std::string& how) {
        writeGreyPng(ctx.outDir / file, grey.data(), w, h);
        std::snprintf(line, sizeof line, "%-26s %s\n", file, how.c_str());
        ctx.summary << line;
    };
    std::vector<uint8_t> grey(scene.size());

    const int16_t windowLow = 7400, windowHigh = 9000;
    Y16Mapping_dll("DV17", scene.data(), grey.data(), kWidth, kHeight, &windowHigh, &windowLow,
                   false);
    write("y16_window.png", grey, kWidth, kHeight, "manual window 7400 .. 9000");
    Y16Mapping_dll("DV13", scene.data(), grey.data(), kWidth, kHeight, nullptr, nullptr, true);
    write("y16_agc_half.png", grey, kWidth, kHeight, "DV13: half-resolution AGC with detail");
    Y16Mapping_dll("DV17", scene.data(), grey.data(), kWidth, kHeight, nullptr, nullptr, true);
    write("y16_agc_full.png", grey, kWidth, kHeight,
          "DV17: full-resolution AGC with detail and sharpening");

    int16_t high = 0, low = 0;
    Y16MappingAD_dll(scene.data(), grey.data(), 255, 100, kWidth, kHeight, &high, &low, 1);
    write("y16_percentile.png", grey, kWidth, kHeight,
          "linear stretch, automatic limits " + std::to_string(low) + " .. " +
              std::to_string(high));

    // The real street frame (14-bit counts, so signed Y16 as it is) through the same maps.
    const std::filesystem::path street =
        std::filesystem::path(KMM_FRAMES_DIR) / "street_640x512x4.u16le.raw";
    if (std::filesystem::exists(street)) {
        std::vector<int16_t> frame;
        for (uint16_t v : readU16Frame(street, {kWidth, kHeight}, 0)) frame.push_back(int16_t(v));
        Y16Mapping_dll("DV13", frame.data(), grey.data(), kWidth, kHeight, nullptr, nullptr, true);
        write("y16_street_agc_half.png", grey, kWidth, kHeight, "real street frame, DV13 AGC");
        Y16Mapping_dll("DV17", frame.data(), grey.data(), kWidth, kHeight, nullptr, nullptr, true);
        write("y16_street_agc_full.png", grey, kWidth, kHeight, "real street frame, DV17 AGC");
        Y16MappingAD_dll(frame.data(), grey.data(), 255, 100, kWidth, kHeight, &high, &low, 1);
        write("y16_street_percentile.png", grey, kWidth, kHeight,
              "real street frame, linear stretch, limits " + std::to_string(low) + " .. " +
                  std::to_string(high));
    }

    std::vector<int16_t> big(scene.size() * 4);
    image_resize_dll(big.data(), scene.data(), kHeight, kWidth, 2);
    std::vector<uint8_t> bigGrey(big.size());
    Y16Mapping_dll("DV17", big.data(), bigGrey.data(), 2 * kWidth, 2 * kHeight, nullptr, nullptr,
                   true);
    write("y16_resize_x2.png", bigGrey, 2 * kWidth, 2 * kHeight,
          "enlarged x2 to 1280x1024, then the DV17 AGC");
}

const bool registered = registerCommand(setupY16) && registerCommand(setupStretch) &&
                        registerCommand(setupResize) &&
                        registerDemoSection({30, "Y16 grey mapping", demoY16});

}  // namespace
}  // namespace kmm::tool
