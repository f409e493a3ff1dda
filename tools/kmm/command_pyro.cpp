// `kmm pyro`: the closed-library exports on a user's own frame, calibration, scene blocks and
// parameter line; and the demo section that synthesises Y16 frames from known temperature
// scenes through the library, measures them back and draws the grey and fire pictures.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "io.h"
#include "pyro_blocks.h"
#include "pyro_scene.h"
#include "radiometry_options.h"
#include "tool.h"

namespace kmm::tool {
namespace {

struct Settings {
    float emissivity = 0.95f;
    float distance = 2.0f;
    float reflected = 23.0f;
};

std::vector<float> measureMatrix(const std::string& model, const PyroBlocks& b,
                                 const Settings& s) {
    const PYRO_PARAM p = b.param();
    std::vector<float> t(size_t(b.width) * size_t(b.height), NAN);
    getNewTempWithPyro_dll(model.c_str(), b.width, b.height, p.y16Data, p.y16Count, p.calibData,
                           p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                           p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, t.data(),
                           s.emissivity, s.distance, s.reflected);
    return t;
}

float measurePoint(const std::string& model, const PyroBlocks& b, uint16_t y16,
                   const Settings& s) {
    const PYRO_PARAM p = b.param();
    float t = NAN;
    getNewTemperatureWithPYROByY16(model.c_str(), b.width, b.height, p.y16Data, p.y16Count, y16,
                                   p.calibData, p.calibLength, p.sceneB, p.sceneBLength,
                                   p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength,
                                   p.paramLine, p.paramLineLength, &t, s.emissivity, s.distance,
                                   s.reflected, 0.0f);
    return t;
}

int16_t y16Of(const std::string& model, const PyroBlocks& b, float temperature,
              const Settings& s) {
    const PYRO_PARAM p = b.param();
    int16_t y = 0;
    getY16WithPyro_dll(model.c_str(), b.width, b.height, p.y16Data, p.y16Count, p.calibData,
                       p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                       p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, temperature, &y,
                       s.emissivity, s.distance, s.reflected);
    return y;
}

struct Grey {
    std::vector<uint8_t> pixels;
    float maxTemp = NAN, minTemp = NAN;
};

// Automatic window when range is null, else the window (maxTemp, minTemp) in degC.
Grey greyImage(const std::string& model, const PyroBlocks& b, const Settings& s,
               const std::pair<double, double>* range) {
    Grey g;
    g.pixels.assign(size_t(b.width) * size_t(b.height), 0);
    if (range) g.minTemp = float(range->first), g.maxTemp = float(range->second);
    const PYRO_PARAM p = b.param();
    y16MappingWithPyro_dll(model.c_str(), g.pixels.data(), &g.maxTemp, &g.minTemp,
                           range == nullptr, b.width, b.height, p.y16Data, p.y16Count,
                           p.calibData, p.calibLength, p.sceneB, p.sceneBLength, p.sceneA,
                           p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
                           p.paramLineLength, s.emissivity, s.distance, s.reflected);
    return g;
}

struct Fire {
    std::vector<uint8_t> rgb;
    float maxTemp = NAN, minTemp = NAN, level = NAN;
};

Fire fireImage(const std::string& model, const PyroBlocks& b, const Settings& s, int fireMode,
               int drcSet) {
    Fire f;
    f.rgb.assign(size_t(b.width) * size_t(b.height) * 3, 0);
    const PYRO_PARAM p = b.param();
    y16MappingWithPyroToRgb_dll(model.c_str(), f.rgb.data(), &f.maxTemp, &f.minTemp, b.width,
                                b.height, p.y16Data, p.y16Count, p.calibData, p.calibLength,
                                p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                                p.sceneCLength, p.paramLine, p.paramLineLength, s.emissivity,
                                s.distance, s.reflected, fireMode, drcSet, 0, 0, 0, 0, &f.level);
    return f;
}

// ---- demo ------------------------------------------------------------------------------------

// The frame a camera looking at `truth` would deliver, one export call per pixel.
void synthesise(const std::string& model, PyroBlocks& b, const std::vector<float>& truth,
                const Settings& s) {
    PyroBlocks one = b;
    one.width = one.height = 1;
    one.frame.assign(1, 0);
    for (size_t i = 0; i < truth.size(); ++i) b.frame[i] = uint16_t(y16Of(model, one, truth[i], s));
}

// The fire scene as grey (automatic and manual window) and fire colour pictures.
void demoPictures(DemoContext& ctx, const std::string& model, const PyroBlocks& b,
                  const Settings& s) {
    char line[200];
    const Grey autoGrey = greyImage(model, b, s, nullptr);
    writeGreyPng(ctx.outDir / "pyro_grey_auto.png", autoGrey.pixels.data(), b.width, b.height);
    const std::pair<double, double> room{15.0, 45.0};
    const Grey manual = greyImage(model, b, s, &room);
    writeGreyPng(ctx.outDir / "pyro_grey_15_45.png", manual.pixels.data(), b.width, b.height);
    std::snprintf(line, sizeof line,
                  "%s grey, automatic window: measured %.2f .. %.2f C -> pyro_grey_auto.png\n"
                  "%s grey, window 15 .. 45 C -> pyro_grey_15_45.png\n",
                  model.c_str(), double(autoGrey.minTemp), double(autoGrey.maxTemp),
                  model.c_str());
    ctx.summary << line;
    for (int mode : {4, 6}) {
        const Fire f = fireImage(model, b, s, mode, 1);
        const std::string name = "pyro_fire_mode" + std::to_string(mode) + ".png";
        writeRgbPng(ctx.outDir / name, f.rgb.data(), b.width, b.height);
        std::snprintf(line, sizeof line,
                      "%s fire mode %d: window %.0f .. %.0f C, centre level %.3f -> %s\n",
                      model.c_str(), mode, double(f.minTemp), double(f.maxTemp), double(f.level),
                      name.c_str());
        ctx.summary << line;
    }
}

void demoPyro(DemoContext& ctx) {
    constexpr int kWidth = 160, kHeight = 120;
    struct Case {
        const char* model;
        const char* scene;
        bool fire;
        int rangeMode;
    };
    const Case cases[] = {{"DV28", "room, range mode 1 (offset)", false, 1},
                          {"DV35", "room with fire, range mode 2", true, 2}};
    const Settings settings;
    char line[200];
    ctx.summary << "Frames synthesised from known temperatures through the closed library, one\n"
                   "getY16WithPyro_dll call per pixel, then measured back by getNewTempWithPyro_dll\n"
                   "(min, max, centre, worst pixel) and getNewTemperatureWithPYROByY16 (centre\n"
                   "value; the standard list's point form adds no offset, so it reads the\n"
                   "offset-corrected value as it is).\n";
    std::snprintf(line, sizeof line, "Settings: emissivity %.2f, distance %.1f m, reflected %.0f C\n",
                  double(settings.emissivity), double(settings.distance),
                  double(settings.reflected));
    ctx.summary << line;
    std::snprintf(line, sizeof line, "%-5s %-29s %17s %17s %17s %9s %7s\n", "model", "scene",
                  "min true/meas", "max true/meas", "centre true/meas", "point", "worst");
    ctx.summary << line;
    for (const Case& c : cases) {
        const auto truth = scenes::fireRoomTemperatures(kWidth, kHeight, c.fire);
        PyroBlocks blocks = demoBlocks(kWidth, kHeight, c.rangeMode);
        synthesise(c.model, blocks, truth, settings);
        const auto measured = measureMatrix(c.model, blocks, settings);
        const size_t centre = size_t(kHeight / 2) * kWidth + kWidth / 2;
        const float point = measurePoint(c.model, blocks, blocks.frame[centre], settings);
        double worst = 0.0;
        for (size_t i = 0; i < truth.size(); ++i)
            worst = std::max(worst, std::fabs(double(measured[i]) - truth[i]));
        const auto [tMin, tMax] = std::minmax_element(truth.begin(), truth.end());
        const auto [mMin, mMax] = std::minmax_element(measured.begin(), measured.end());
        std::snprintf(line, sizeof line,
                      "%-5s %-29s %7.2f/%7.2f C %7.2f/%7.2f C %7.2f/%7.2f C %7.2f C %5.2f C\n",
                      c.model, c.scene, double(*tMin), double(*mMin), double(*tMax),
                      double(*mMax), double(truth[centre]), double(measured[centre]),
                      double(point), worst);
        ctx.summary << line;
        if (c.fire) demoPictures(ctx, c.model, blocks, settings);
    }
}

// ---- kmm pyro ---------------------------------------------------------------------------------

struct PyroOptions {
    std::string model = "DV28";
    std::string size;
    std::string frame, calib, sceneA, sceneB, sceneC, paramLine, planck;
    Settings settings;
    std::string temps, grey, range, fire;
    int fireMode = 4;
    int drcSet = -1;
    std::vector<int> points;
    std::vector<float> y16Of;
};

// The user's blocks; a block not given is the stand-in's synthetic one (the real library
// wants the camera's own). With --planck the calibration carries the camera's constants and
// reads its raw counts as they are, and the default parameter line (range mode 2) adds no
// offset, so the matrix matches kmm temps.
PyroBlocks loadBlocks(const PyroOptions& o) {
    const FrameSize size = parseSize(o.size);
    PyroBlocks b = demoBlocks(size.width, size.height, o.planck.empty() ? 1 : 2);
    b.frame = readU16(o.frame, size.pixels());
    if (!o.planck.empty()) {
        const kmm_planck_constants p = parsePlanck(o.planck);
        b.calib = scenes::pyroCalibrationBlock(
            {float(p.r1), float(p.r2), float(p.b), float(p.f), float(p.o)}, {{1.0f, 0.0f, 1.0f}});
    }
    auto load = [](const std::string& path, std::vector<uint8_t>& block) {
        if (!path.empty()) block = readBytes(path);
    };
    load(o.calib, b.calib);
    load(o.sceneA, b.sceneA);
    load(o.sceneB, b.sceneB);
    load(o.sceneC, b.sceneC);
    load(o.paramLine, b.paramLine);
    return b;
}

void runPyro(const PyroOptions& o) {
    const PyroBlocks b = loadBlocks(o);
    const Settings& s = o.settings;
    bool did = false;
    if (!o.temps.empty()) {
        const auto t = measureMatrix(o.model, b, s);
        std::ofstream out(o.temps, std::ios::binary);
        out.write(reinterpret_cast<const char*>(t.data()), std::streamsize(t.size() * sizeof(float)));
        if (!out) throw ToolError("cannot write " + o.temps);
        const auto [lo, hi] = std::minmax_element(t.begin(), t.end());
        std::printf("%s: %.2f .. %.2f degC, centre %.2f degC -> %s\n", o.model.c_str(),
                    double(*lo), double(*hi),
                    double(t[size_t(b.height / 2) * size_t(b.width) + size_t(b.width / 2)]),
                    o.temps.c_str());
        did = true;
    }
    for (int y : o.points) {
        std::printf("Y16 %d -> %.2f degC\n", y, double(measurePoint(o.model, b, uint16_t(y), s)));
        did = true;
    }
    for (float t : o.y16Of) {
        std::printf("%.2f degC -> Y16 %d\n", double(t), int(y16Of(o.model, b, t, s)));
        did = true;
    }
    if (!o.grey.empty()) {
        std::pair<double, double> window;
        if (!o.range.empty()) window = parseRange(o.range);
        const Grey g = greyImage(o.model, b, s, o.range.empty() ? nullptr : &window);
        writeGreyPng(o.grey, g.pixels.data(), b.width, b.height);
        std::printf("grey %.2f .. %.2f degC -> %s\n", double(g.minTemp), double(g.maxTemp),
                    o.grey.c_str());
        did = true;
    }
    if (!o.fire.empty()) {
        const Fire f = fireImage(o.model, b, s, o.fireMode, o.drcSet);
        writeRgbPng(o.fire, f.rgb.data(), b.width, b.height);
        std::printf("fire window %.0f .. %.0f degC, centre level %.3f -> %s\n",
                    double(f.minTemp), double(f.maxTemp), double(f.level), o.fire.c_str());
        did = true;
    }
    if (!did) throw ToolError("nothing to do: give --temps, --point, --y16-of, --grey or --fire");
}

void setupPyro(CLI::App& app) {
    static PyroOptions o;
    auto* cmd = app.add_subcommand(
        "pyro", "Run the closed-library (libpyro.so) exports on your own Y16 frame and blocks: "
                "temperature matrix, point temperatures, Y16 of temperatures, grey and fire "
                "colour images");
    cmd->add_option("-m,--model", o.model, "camera model name")->capture_default_str();
    cmd->add_option("-s,--size", o.size, "frame size WIDTHxHEIGHT")->required();
    cmd->add_option("-f,--frame", o.frame, "Y16 frame, little-endian uint16 (.raw)")->required();
    const char* blocks = "Blocks (default: the stand-in's synthetic ones)";
    auto* calib = cmd->add_option("--calib", o.calib, "calibration block")->group(blocks);
    addPlanckOption(cmd, o.planck)->excludes(calib)->group(blocks);
    cmd->add_option("--scene-a", o.sceneA, "scene block A")->group(blocks);
    cmd->add_option("--scene-b", o.sceneB, "scene block B")->group(blocks);
    cmd->add_option("--scene-c", o.sceneC, "scene block C")->group(blocks);
    cmd->add_option("--param-line", o.paramLine, "parameter line (822 bytes or more)")->group(blocks);
    cmd->add_option("-e,--emissivity", o.settings.emissivity, "measure1")->capture_default_str();
    cmd->add_option("-d,--distance", o.settings.distance, "measure2, m")->capture_default_str();
    cmd->add_option("-r,--reflected", o.settings.reflected, "measure3, degC")->capture_default_str();
    cmd->add_option("--temps", o.temps, "write the temperature matrix (float32 .f32)");
    cmd->add_option("--point", o.points, "temperature of these Y16 values");
    cmd->add_option("--y16-of", o.y16Of, "Y16 of these temperatures (degC)");
    cmd->add_option("--grey", o.grey, "write the grey image (PNG)");
    cmd->add_option("--range", o.range, "grey window LO:HI degC (default: automatic)");
    cmd->add_option("--fire", o.fire, "write the fire colour image (PNG)");
    cmd->add_option("--fire-mode", o.fireMode, "4/5: 150-650 C, 6: 250-650, 7/8: 100-150, 9")
        ->capture_default_str();
    cmd->add_option("--drc-set", o.drcSet, "DRC parameter set 0-3 (default: the one at open)");
    cmd->callback([] { runPyro(o); });
}

const bool registered = registerCommand(setupPyro) &&
                        registerDemoSection({50, "Closed-library (PYRO) temperatures", demoPyro});

}  // namespace
}  // namespace kmm::tool
