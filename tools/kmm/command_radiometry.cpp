// `kmm temps` and `kmm raw`: a raw frame to a temperature matrix from the camera's Planck
// constants and the scene, and a temperature matrix back to raw counts.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "KModuleMeasureRadiometry.h"
#include "io.h"
#include "matrix_file.h"
#include "radiometry_options.h"
#include "tool.h"

namespace kmm::tool {
namespace {

struct RadiometryOptions {
    std::string input, output, size, planck;
    kmm_radiometric_scene scene;
};

void check(kmm_status status) {
    if (status == KMM_ERROR_BAD_VALUE)
        throw ToolError("the scene was refused: the air transmits nothing over this distance at "
                        "this humidity and temperature, or the surroundings lie past the "
                        "response's pole");
    if (status != KMM_OK) throw ToolError(std::string("conversion failed: ") + kmm_status_text(status));
}

void runTemps(const RadiometryOptions& o) {
    const FrameSize size = parseSize(o.size);
    const std::vector<uint16_t> raw = readU16(o.input, size.pixels());
    const kmm_planck_constants planck = parsePlanck(o.planck);
    std::vector<float> t(raw.size());
    check(kmm_raw_frame_to_temperatures(&planck, &o.scene, raw.data(), size.width, size.height,
                                        t.data()));
    writeMatrix(o.output, t.data(), size);
    std::vector<float> finite;
    std::copy_if(t.begin(), t.end(), std::back_inserter(finite), [](float v) { return v == v; });
    if (finite.empty()) {
        std::printf("no pixel has a temperature (all NaN) -> %s\n", o.output.c_str());
        return;
    }
    std::nth_element(finite.begin(), finite.begin() + ptrdiff_t(finite.size() / 2), finite.end());
    const float median = finite[finite.size() / 2];
    const auto [lo, hi] = std::minmax_element(finite.begin(), finite.end());
    std::printf("%.2f .. %.2f degC, median %.2f degC, %zu pixels without a temperature (NaN) -> %s\n",
                double(*lo), double(*hi), double(median), t.size() - finite.size(),
                o.output.c_str());
}

void runRaw(const RadiometryOptions& o) {
    const FrameSize size = parseSize(o.size);
    const std::vector<float> t = readF32(o.input, size.pixels());
    const kmm_planck_constants planck = parsePlanck(o.planck);
    std::vector<uint16_t> raw(t.size());
    check(kmm_temperatures_to_raw_frame(&planck, &o.scene, t.data(), size.width, size.height,
                                        raw.data()));
    writeMatrix(o.output, raw.data(), size);
    const auto [lo, hi] = std::minmax_element(raw.begin(), raw.end());
    std::printf("counts %d .. %d -> %s\n", int(*lo), int(*hi), o.output.c_str());
}

// What tells the two commands apart.
struct CommandText {
    const char* name;
    const char* about;
    const char* input;
    const char* output;
    const char* defaultOutput;
};

void addCommand(CLI::App& app, RadiometryOptions& o, const CommandText& text,
                void (*run)(const RadiometryOptions&)) {
    auto* cmd = app.add_subcommand(text.name, text.about);
    cmd->add_option("input", o.input, text.input)->required();
    cmd->add_option("-s,--size", o.size, "frame size WxH, e.g. 640x512")->required();
    addPlanckOption(cmd, o.planck)->required();
    addSceneOptions(cmd, o.scene);
    o.output = text.defaultOutput;
    cmd->add_option("-o,--out", o.output, text.output)->capture_default_str();
    cmd->callback([&o, run] { run(o); });
}

void setupTemps(CLI::App& app) {
    static RadiometryOptions o;
    addCommand(app, o,
               {"temps",
                "Raw counts to temperatures (degC) from the camera's Planck constants, corrected "
                "for emissivity, reflection, air and window",
                "raw frame: little-endian uint16, row-major",
                "temperature matrix: .f32 (float32, what kmm image reads), .npy or .tiff; NaN "
                "where a count has no temperature",
                "temps.f32"},
               runTemps);
}

void setupRaw(CLI::App& app) {
    static RadiometryOptions o;
    addCommand(app, o,
               {"raw",
                "Temperatures (degC) back to raw counts from the camera's Planck constants and "
                "the scene: the way back of kmm temps",
                "temperature matrix: little-endian float32, row-major (.f32)",
                "raw counts: little-endian uint16 (any extension), .npy or .tiff; nearest count, "
                "saturated to 0..65535, NaN to 0",
                "raw.u16"},
               runRaw);
}

const bool registered = registerCommand(setupTemps) && registerCommand(setupRaw);

}  // namespace
}  // namespace kmm::tool
