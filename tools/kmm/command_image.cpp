// `kmm image`: a temperature matrix file (float32 degC) to a grey PNG through
// imageMapping_dll, and the demo's room scene through the three mapping families.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "KModuleMeasurePipeline.h"
#include "io.h"
#include "options.h"
#include "temperature_scene.h"
#include "tool.h"

namespace kmm::tool {
namespace {

struct ImageOptions {
    FrameInput in;
    std::string output = "image.png";
    std::string model = "DV07";
    std::string range;
    float tuning = 150.0f;
    std::string palette;  // empty: grey
};

struct Range {
    float maxTemp, minTemp;
};

// Runs the export; returns the range it wrote back (or the caller's, where it writes none).
Range mapTemperatures(const std::string& model, float tuning, const std::vector<float>& temps,
                      std::vector<uint8_t>& grey, int width, int height, Range range,
                      bool autoRange) {
    grey.assign(temps.size(), 0);
    imageMapping_dll(model.c_str(), tuning, temps.data(), grey.data(), width, height,
                     &range.maxTemp, &range.minTemp, autoRange);
    return range;
}

void setupImage(CLI::App& app) {
    static ImageOptions o;
    auto* cmd = app.add_subcommand(
        "image", "Map a temperature matrix (little-endian float32, degC, row-major) to a grey "
                 "PNG (imageMapping_dll)");
    o.in.addTo(cmd, "temperature matrix file (.f32)");
    addPngOutput(cmd, o.output);
    cmd->add_option("-m,--model", o.model,
                    "camera model: DV01..DV06 offset codes, DV07/DV08 image pipeline, any "
                    "other Kelvin codes")
        ->capture_default_str();
    cmd->add_option("-r,--range", o.range, "display range LO:HI in degC (default: automatic)")
        ->check(rangeText());
    cmd->add_option("-t,--tuning", o.tuning,
                    "DV07/DV08: 150 standard tuning, any other value fine tuning")
        ->capture_default_str()
        ->check(finite());
    cmd->add_option("--palette", o.palette, "colour the picture with this palette")
        ->check(CLI::IsMember(paletteNames()));
    cmd->callback([] {
        const FrameSize size = o.in.size();
        const std::vector<float> temps = o.in.readF32();
        Range range{0.0f, 0.0f};
        const bool autoRange = o.range.empty();
        if (!autoRange) {
            const auto [lo, hi] = parseRange(o.range);
            range = {static_cast<float>(hi), static_cast<float>(lo)};
        }
        std::vector<uint8_t> grey;
        range = mapTemperatures(o.model, o.tuning, temps, grey, size.width, size.height, range,
                                autoRange);
        if (o.palette.empty()) {
            writeGreyPng(o.output, grey.data(), size.width, size.height);
        } else {
            std::vector<uint8_t> rgb(grey.size() * 3);
            if (kmm_colour_image(grey.data(), size.width, size.height, paletteNumber(o.palette),
                                 KMM_COLOUR_RGB24, rgb.data(), rgb.size(), nullptr) != KMM_OK)
                throw ToolError("kmm_colour_image refused the picture");
            writeRgbPng(o.output, rgb.data(), size.width, size.height);
        }
        std::fprintf(messages(), "%s: %s range %.2f .. %.2f degC -> %s\n", o.model.c_str(),
                    autoRange ? "automatic" : "manual", double(range.minTemp),
                    double(range.maxTemp), o.output.c_str());
    });
}

void demoImages(DemoContext& ctx) {
    constexpr int kWidth = 640, kHeight = 512;
    struct Family {
        const char* model;
        const char* name;
    };
    const Family families[] = {{"DV01", "offset"}, {"DV07", "pipeline"}, {"DV11", "kelvin"}};
    const char* frames[] = {"room", "hotplate"};
    char line[200];
    std::snprintf(line, sizeof line, "%-9s %-6s %-9s %-16s %-22s %s\n", "scene", "model",
                  "family", "range mode", "range back (degC)", "picture");
    ctx.summary << line;
    for (int frame = 0; frame < 2; ++frame) {
        const std::vector<float> temps = scenes::temperatureScene(kWidth, kHeight, frame);
        for (const Family& f : families) {
            for (bool autoRange : {true, false}) {
                // The manual window: comfortable room temperatures, or the hot plate's range.
                Range range = frame == 0 ? Range{37.0f, 15.0f} : Range{330.0f, 15.0f};
                std::vector<uint8_t> grey;
                range = mapTemperatures(f.model, 150.0f, temps, grey, kWidth, kHeight, range,
                                        autoRange);
                const std::string file = std::string("temperature_") + frames[frame] + "_" +
                                         f.name + (autoRange ? "_auto" : "_manual") + ".png";
                writeGreyPng(ctx.outDir / file, grey.data(), kWidth, kHeight);
                std::snprintf(line, sizeof line, "%-9s %-6s %-9s %-16s %8.2f .. %-10.2f %s\n",
                              frames[frame], f.model, f.name,
                              autoRange ? "automatic" : "manual", double(range.minTemp),
                              double(range.maxTemp), file.c_str());
                ctx.summary << line;
            }
        }
    }
}

const bool registered =
    registerCommand(setupImage) &&
    registerDemoSection({40, "Temperature-matrix image mapping", demoImages});

}  // namespace
}  // namespace kmm::tool
