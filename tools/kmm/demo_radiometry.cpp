// The demo's real frames through the radiometry exports: raw counts to temperatures from the
// aerial camera's Planck constants, grey pictures of the temperatures by imageMapping_dll,
// and the way back to the same counts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"
#include "io.h"
#include "tool.h"

namespace kmm::tool {
namespace {

constexpr int kWidth = 640, kHeight = 512;
constexpr kmm_planck_constants kAerialCamera{364058.0, 1.0, 1428.0, 1.0, -228.0};

struct DemoCase {
    const char* frame;  // file in the frames folder; its first frame
    const char* name;
    const char* scene;
    bool recorded;      // the aerial frame's recorded emissivity, distance and humidity
};

void demoRadiometry(DemoContext& ctx) {
    const std::filesystem::path dir = KMM_FRAMES_DIR;
    ctx.summary << "Real frames to temperatures from the aerial camera's Planck constants\n"
                   "(R1 364058, R2 1, B 1428, F 1, O -228) by kmm_raw_frame_to_temperatures, then\n"
                   "to grey pictures by imageMapping_dll (DV11, automatic range), and back to\n"
                   "counts by kmm_temperatures_to_raw_frame. The street camera published no\n"
                   "constants: it borrows the aerial ones, for illustration.\n";
    const DemoCase cases[] = {
        {"aerial_640x512.u16le.raw", "aerial", "black body, no air", false},
        {"aerial_640x512.u16le.raw", "aerial", "recorded: e 0.94, 50 m, 30 %", true},
        {"street_640x512x4.u16le.raw", "street", "black body, no air", false},
    };
    char line[240];
    std::snprintf(line, sizeof line, "%-7s %-29s %-22s %7s %5s %-16s %s\n", "frame", "scene",
                  "temperatures (degC)", "median", "NaN", "counts back", "picture");
    ctx.summary << line;
    for (const DemoCase& c : cases) {
        if (!std::filesystem::exists(dir / c.frame)) {
            ctx.summary << c.frame << " not found in " << dir.string() << ": skipped\n";
            continue;
        }
        const std::vector<uint16_t> raw = readU16(dir / c.frame, int64_t(kWidth) * kHeight);
        kmm_radiometric_scene scene;
        kmm_radiometric_scene_defaults(&scene);
        if (c.recorded) scene.emissivity = 0.94, scene.distance_m = 50, scene.humidity_percent = 30;
        std::vector<float> t(raw.size());
        std::vector<uint16_t> back(raw.size());
        if (kmm_raw_frame_to_temperatures(&kAerialCamera, &scene, raw.data(), kWidth, kHeight,
                                          t.data()) != KMM_OK ||
            kmm_temperatures_to_raw_frame(&kAerialCamera, &scene, t.data(), kWidth, kHeight,
                                          back.data()) != KMM_OK)
            throw ToolError("the radiometry exports refused the demo's frame");
        // Pixels whose count has no temperature (NaN) go back to count 0.
        std::vector<float> finite;
        size_t same = 0;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (t[i] != t[i]) continue;
            finite.push_back(t[i]);
            same += back[i] == raw[i];
        }
        std::sort(finite.begin(), finite.end());
        if (finite.empty()) throw ToolError("no pixel of the demo's frame has a temperature");

        std::vector<uint8_t> grey(t.size());
        float maxTemp = 0, minTemp = 0;
        imageMapping_dll("DV11", 150.0f, t.data(), grey.data(), kWidth, kHeight, &maxTemp,
                         &minTemp, true);
        const std::string file = std::string("radiometry_") + c.name + (c.recorded ? "_recorded" : "") + ".png";
        writeGreyPng(ctx.outDir / file, grey.data(), kWidth, kHeight);
        std::snprintf(line, sizeof line, "%-7s %-29s %8.2f .. %-10.2f %7.2f %5zu %6zu of %-6zu %s\n",
                      c.name, c.scene, double(finite.front()), double(finite.back()),
                      double(finite[finite.size() / 2]), raw.size() - finite.size(), same,
                      finite.size(), file.c_str());
        ctx.summary << line;
    }
}

const bool registered =
    registerDemoSection({45, "Raw counts to temperatures (Planck constants)", demoRadiometry});

}  // namespace
}  // namespace kmm::tool
