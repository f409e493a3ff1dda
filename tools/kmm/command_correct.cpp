// `kmm correct`: one temperature under old and new measurement conditions, and the demo's
// table of corrections.
#include <CLI/CLI.hpp>

#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "KModuleMeasure.h"
#include "io.h"
#include "options.h"
#include "tool.h"

namespace kmm::tool {
namespace {

// A plausible device record: no scale factor, emissivity 0.95, reflected 23 degC,
// compensation against 23 degC with small coefficients, and the neutral distance model
// (linear term 10 = 1e7 micro-units, so the record's distance model changes nothing).
DeviceCorrectionParam defaultDeviceRecord() {
    DeviceCorrectionParam r{};
    r.scaleSetting = 60;
    r.emissivity = 0.95f;
    r.reflectedTemp = 23.0f;
    r.compTemp = 25.0f;
    r.compMode = 1;
    r.compOffset = 20;
    r.compGain = 5;
    r.distLin = 10000000;
    return r;
}

struct CorrectOptions {
    std::string model = "DV19";
    float temperature = 36.5f;
    float oldEmissivity = 0.95f, newEmissivity = 0.95f;
    float oldDistance = 1.5f, newDistance = 1.5f;
    float oldReflected = 23.0f, newReflected = 23.0f;
    DeviceCorrectionParam record = defaultDeviceRecord();
};

void setupCorrect(CLI::App& app) {
    static CorrectOptions o;
    auto* cmd = app.add_subcommand(
        "correct", "Recompute one temperature for a new emissivity, target distance and "
                   "reflected temperature (getNewTemperature_dll)");
    cmd->add_option("-m,--model", o.model, "camera model name")->capture_default_str();
    cmd->add_option("-t,--temp", o.temperature, "temperature to correct, degC")->capture_default_str()->check(celsius());
    cmd->add_option("--old-emissivity", o.oldEmissivity, "emissivity it was measured with")->capture_default_str()->check(fraction());
    cmd->add_option("--new-emissivity", o.newEmissivity, "emissivity wanted")->capture_default_str()->check(fraction());
    cmd->add_option("--old-distance", o.oldDistance, "distance it was measured at, m")->capture_default_str()->check(finiteWithin(0, HUGE_VAL));
    cmd->add_option("--new-distance", o.newDistance, "distance wanted, m")->capture_default_str()->check(finiteWithin(0, HUGE_VAL));
    cmd->add_option("--old-reflected", o.oldReflected, "reflected temperature it was measured with, degC")->capture_default_str()->check(celsius());
    cmd->add_option("--new-reflected", o.newReflected, "reflected temperature wanted, degC")->capture_default_str()->check(celsius());
    auto& r = o.record;
    const char* dev = "Device record";
    cmd->add_option("--scale-setting", r.scaleSetting, "scale factor setting (60 = none)")->group(dev)->capture_default_str();
    cmd->add_option("--device-emissivity", r.emissivity, "device correction emissivity")->group(dev)->capture_default_str()->check(fraction());
    cmd->add_option("--device-reflected", r.reflectedTemp, "device correction reflected temperature, degC")->group(dev)->capture_default_str()->check(celsius());
    cmd->add_option("--comp-temp", r.compTemp, "compensation temperature, degC")->group(dev)->capture_default_str()->check(celsius());
    cmd->add_option("--comp-mode", r.compMode, "0: 3 degC reference, 1: 23 degC, other: none")->group(dev)->capture_default_str();
    cmd->add_option("--comp-offset", r.compOffset, "compensation offset, 1e-4")->group(dev)->capture_default_str();
    cmd->add_option("--comp-gain", r.compGain, "compensation gain, 1e-4")->group(dev)->capture_default_str();
    cmd->add_option("--dist-quad-per-dist", r.distQuadPerDist, "1e-9")->group(dev)->capture_default_str();
    cmd->add_option("--dist-quad", r.distQuad, "1e-9")->group(dev)->capture_default_str();
    cmd->add_option("--dist-lin-per-dist", r.distLinPerDist, "1e-6")->group(dev)->capture_default_str();
    cmd->add_option("--dist-lin", r.distLin, "1e-6")->group(dev)->capture_default_str();
    cmd->add_option("--dist-const-per-dist", r.distConstPerDist, "1e-3")->group(dev)->capture_default_str();
    cmd->add_option("--dist-const", r.distConst, "1e-3")->group(dev)->capture_default_str();
    cmd->callback([] {
        float result = 0.0f;
        getNewTemperature_dll(o.model.c_str(), &result, o.temperature, o.oldEmissivity,
                              o.newEmissivity, o.oldDistance, o.newDistance, o.oldReflected,
                              o.newReflected, &o.record);
        std::fprintf(messages(), "%s: %.2f degC -> %.2f degC\n", o.model.c_str(), double(o.temperature),
                    double(result));
    });
}

void demoCorrections(DemoContext& ctx) {
    struct Row {
        const char* model;
        const char* kind;
    };
    const Row models[] = {{"DV01", "short-range"},
                          {"DV19", "full-range"},
                          {"DV35", "fire (device emissivity 1.0)"},
                          {"XY99", "unlisted (unchanged)"}};
    struct Case {
        const char* what;
        float temp, oldE, newE, oldD, newD, oldR, newR;
    };
    const Case cases[] = {
        {"emissivity 0.95 -> 0.80", 36.5f, 0.95f, 0.80f, 1.5f, 1.5f, 23.0f, 23.0f},
        {"distance 1.5 m -> 5 m", 36.5f, 0.95f, 0.95f, 1.5f, 5.0f, 23.0f, 23.0f},
        {"reflected 23 -> 40 degC", 36.5f, 0.95f, 0.95f, 1.5f, 1.5f, 23.0f, 40.0f},
        {"hot: 600 degC, e 1.0 -> 0.7", 600.0f, 1.0f, 0.7f, 1.5f, 1.5f, 23.0f, 23.0f},
    };
    DeviceCorrectionParam record = defaultDeviceRecord();
    // A mild distance model for the demo: 0.2 % more signal per metre.
    record.distLinPerDist = 20000;
    char line[160];
    std::snprintf(line, sizeof line, "%-30s %-8s %-29s %10s\n", "case", "model", "path", "result");
    ctx.summary << line;
    for (const Case& c : cases) {
        for (const Row& m : models) {
            float result = 0.0f;
            getNewTemperature_dll(m.model, &result, c.temp, c.oldE, c.newE, c.oldD, c.newD,
                                  c.oldR, c.newR, &record);
            std::snprintf(line, sizeof line, "%-30s %-8s %-29s %8.1f C\n", c.what, m.model,
                          m.kind, double(result));
            ctx.summary << line;
        }
    }
}

const bool registered = registerCommand(setupCorrect) &&
                        registerDemoSection({10, "Temperature correction", demoCorrections});

}  // namespace
}  // namespace kmm::tool
