// Writes each fuzz target's seed corpus into DIR/<target>/: the target's leading record with
// plausible settings, followed by crops of the real frames in examples/frames (or the
// synthetic calibration curves and closed-library blocks the targets read).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "calibration_curves.h"
#include "fuzz_input.h"
#include "pyro_scene.h"

namespace fs = std::filesystem;
using namespace kmm::fuzz;

namespace {

constexpr int kFrameWidth = 640, kFrameHeight = 512;

std::vector<std::vector<uint16_t>> readFrames() {
    std::vector<std::vector<uint16_t>> frames;
    for (const char* file : {"street_640x512x4.u16le.raw", "aerial_640x512.u16le.raw"}) {
        std::ifstream in(fs::path(KMM_FRAMES_DIR) / file, std::ios::binary);
        std::vector<uint16_t> frame(size_t(kFrameWidth) * kFrameHeight);
        while (in.read(reinterpret_cast<char*>(frame.data()), std::streamsize(frame.size() * 2)))
            frames.push_back(frame);  // little-endian samples on a little-endian machine
    }
    return frames;
}

struct Crop {
    int frame, x, y, width, height;
};
const Crop kCrops[] = {{0, 300, 200, 16, 12}, {1, 10, 400, 33, 17}, {2, 200, 100, 64, 48},
                       {3, 500, 300, 97, 61}, {4, 100, 50, 128, 96}, {0, 0, 0, 3, 1},
                       {4, 600, 500, 1, 7}};

std::vector<uint16_t> crop(const std::vector<std::vector<uint16_t>>& frames, const Crop& c) {
    std::vector<uint16_t> out;
    const auto& f = frames[size_t(c.frame) % frames.size()];
    for (int y = c.y; y < c.y + c.height; ++y)
        for (int x = c.x; x < c.x + c.width; ++x) out.push_back(f[size_t(y) * kFrameWidth + size_t(x)]);
    return out;
}

ModelPick pick(const char* name) {
    const auto rows = kmm::registryRows();
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].name == name) return {uint8_t(i), {}};
    ModelPick p{uint8_t(kRegistryPicks + std::strlen(name)), {}};
    std::memcpy(p.name, name, std::min(std::strlen(name), sizeof p.name));
    return p;
}

class Seeds {
public:
    Seeds(const fs::path& dir, const char* target) : dir_(dir / target) {
        fs::create_directories(dir_);
    }
    template <class Record, class... Payload>
    void write(const Record& record, const Payload&... payload) {
        std::ofstream out(dir_ / ("seed_" + std::to_string(next_++)), std::ios::binary);
        out.write(reinterpret_cast<const char*>(&record), sizeof record);
        (out.write(reinterpret_cast<const char*>(payload.data()),
                   std::streamsize(payload.size() * sizeof(payload[0]))),
         ...);
    }

private:
    fs::path dir_;
    int next_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds DIR\n");
        return 2;
    }
    const fs::path dir = argv[1];
    const auto frames = readFrames();
    if (frames.empty()) {
        std::fprintf(stderr, "no frames in %s\n", KMM_FRAMES_DIR);
        return 1;
    }

    Seeds y16(dir, "fuzz_y16_mapping"), ad(dir, "fuzz_y16_percentile"), resize(dir, "fuzz_resize"),
        image(dir, "fuzz_image_mapping"), pyro(dir, "fuzz_pyro");
    int k = 0;
    for (const Crop& c : kCrops) {
        const auto samples = crop(frames, c);
        const int16_t w = sideValue(c.width), h = sideValue(c.height);
        const char* agc = k % 3 == 0 ? "DV13" : k % 3 == 1 ? "DV17" : "DV01";
        y16.write(Y16MapInput{pick(agc), w, h, 5000, 300, uint8_t(k % 3 != 2), 0}, samples);
        ad.write(PercentileInput{w, h, 5000, 300, 200 + 20 * k, 128, k % 2}, samples);
        resize.write(ResizeInput{sideValue(std::min(c.width, 64)), sideValue(std::min(c.height, 64)),
                                 int8_t(2 + k % 3)},
                     samples);
        const char* family = k % 3 == 0 ? "DV01" : k % 3 == 1 ? "DV07" : "DV11";
        image.write(ImageMappingInput{pick(family), w, h, k % 2 ? 150.0f : 0.0f, 60.0f, 10.0f,
                                      0.02f, -40.0f, uint8_t(k % 2), 0},
                    samples);
        ++k;
    }

    // The closed library: every export on the stand-in's own calibration block, the
    // standard list in range mode 1, the fire list and an unlisted name.
    const auto line = kmm::scenes::pyroParamLine(1, {{172, 2500}, {820, 2300}, {792, 5},
                                                     {794, 10}, {796, 40}, {798, 150},
                                                     {818, 77}});
    const auto a = kmm::scenes::pyroSceneBlock(0xA0, 32), b = kmm::scenes::pyroSceneBlock(0xB0, 24),
               sc = kmm::scenes::pyroSceneBlock(0xC0, 16);
    const char* models[] = {"DV28", "DV35", "XY99"};
    for (int form = 0; form < 9; ++form) {
        const Crop& c = kCrops[size_t(form) % 3];
        PyroInput p{};
        p.form = uint8_t(form);
        p.model = pick(models[form % 3]);
        p.width = sideValue(std::min(c.width, 64));
        p.height = sideValue(std::min(c.height, 64));
        p.sceneALength = int16_t(a.size()), p.sceneBLength = int16_t(b.size());
        p.sceneCLength = int16_t(sc.size()), p.paramLineLength = int16_t(line.size());
        p.calibration = 1;
        p.measure[0] = 0.95f, p.measure[1] = 2.0f, p.measure[2] = 23.0f;
        p.pointY16 = 8000, p.pointExtra = 7.0f, p.temperature = 36.5f;
        p.maxTemp = 60.0f, p.minTemp = 20.0f, p.fireMode = int8_t(4 + form % 6);
        p.drcSetIndex = 1;
        const auto samples = crop(frames, {c.frame, c.x, c.y, std::min(c.width, 64),
                                           std::min(c.height, 64)});
        pyro.write(p, samples, a, b, sc, line);
    }

    // Calibration curves: the synthetic block with a plain state, each curve type.
    Seeds calibration(dir, "fuzz_calibration");
    const auto curves = kmm::scenes::syntheticCalibrationCurves();
    for (int8_t type = 0; type < 4; ++type) {
        CalibrationInput p{};
        p.y16 = uint16_t(crop(frames, kCrops[size_t(type)])[0] % 4000);
        p.curveLength = int16_t(curves.length);
        p.curveType = type;
        p.high = uint8_t(type % 2);
        p.temperature = 35.0f;
        p.state.gain0 = p.state.gain1 = 1.0f;
        p.state.curveRefTemp = p.state.curveRefTempAlt = 25.0f;
        p.state.twoAxisMode = type % 2;
        p.state.segmentIndex = 1, p.state.segmentKey = 15.0f, p.state.settingKey = 2.0f;
        p.config.breakpointCount = 2, p.config.breakpoints[0] = 10.0f;
        p.config.breakpoints[1] = 20.0f, p.config.settingHigh = 4.0f;
        p.config.curveStartTemp = curves.startTemp, p.config.emissivity = 0.95f;
        p.config.transmission = 0.9f, p.config.reflectedTemp = 20.0f;
        p.count = 2, p.breakpoints[0] = 10.0f, p.breakpoints[1] = 20.0f;
        p.scalars[4] = 0.95f, p.scalars[6] = 1.0f;
        p.setCurveType = uint32_t(type);
        calibration.write(p, curves.block);
    }

    // Radiometry: a microbolometer's constants and the default scene on each crop, with a
    // temperature ramp from -20 to 150 degC.
    Seeds radiometry(dir, "fuzz_radiometry");
    for (const Crop& c : kCrops) {
        RadiometryInput p{};
        p.planck = {364058.0, 1.0, 1428.0, 1.0, -228.0};
        kmm_radiometric_scene_defaults(&p.scene);
        const int w = std::min(c.width, 64), h = std::min(c.height, 64);
        p.width = sideValue(w), p.height = sideValue(h);
        p.raw = 12000.0, p.celsius = 36.5;
        const auto samples = crop(frames, {c.frame, c.x, c.y, w, h});
        std::vector<float> ramp(samples.size());
        for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = -20.0f + 170.0f * float(i) / float(ramp.size());
        radiometry.write(p, samples, ramp);
    }

    // The pipeline API: on each crop, the 16-bit corrections (flat-field frames loaded) with
    // two runs, then the detail-enhanced mapping and every 8-bit stage, zoomed and coloured,
    // with a run and a colour_image call.
    Seeds pipeline(dir, "fuzz_pipeline");
    k = 0;
    for (const Crop& c : kCrops) {
        const int w = std::min(c.width, 96), h = std::min(c.height, 96);
        const auto samples = crop(frames, {c.frame, c.x, c.y, w, h});
        std::vector<uint16_t> dark(samples.size(), 100), gain(samples.size());
        for (size_t i = 0; i < gain.size(); ++i) gain[i] = uint16_t(8100 + i % 190 + (i % 31 == 5 ? 0x8000 : 0));
        std::vector<uint8_t> lut(256), stream;
        for (size_t g = 0; g < lut.size(); ++g) lut[g] = uint8_t(g * g / 255);
        const auto add = [&stream](const auto& piece) {
            const auto* b = reinterpret_cast<const uint8_t*>(piece.data());
            stream.insert(stream.end(), b, b + piece.size() * sizeof(piece[0]));
        };
        const auto call = [&](uint8_t which, int32_t on, uint32_t a = 0, uint32_t b = 0,
                              uint32_t c3 = 0, float amount = 0, int16_t high = 0, int16_t low = 0) {
            add(std::vector<PipelineCall>{{which, on, {a, b, c3}, amount, high, low}});
        };
        call(0, 1), call(1, 1), call(2, 0), add(dark), add(gain), add(samples);
        call(3, 1, 8), call(5, 1, 9, 3500, 20), call(6, 1, uint32_t(k % 2), 5);
        call(7, 1, uint32_t(k % 3)), call(8, 1, uint32_t(k % 3)), call(9, 0, uint32_t(k % 4));
        call(10, 0, 0, 0, 0, 0, 6000, 300);
        call(22, 0), add(samples), call(22, 0), add(samples);
        call(0, 0), call(13, 1, 3, 48), call(14, 1, 2, 2, 5), call(15, 1), call(16, 0), add(lut);
        call(17, 1, 0, 0, 0, 1.0f), call(18, 1, 128, 200), call(19, 0, uint32_t(k % 2));
        call(20, 1, uint32_t(k % 7), uint32_t(k % 12), uint32_t(k % 2));
        call(21, 0, uint32_t(k % 4), 0xFF00FF, 0xFF, 0, 3000, 1000);
        call(22, 0), add(samples);
        call(23, 1, uint32_t(sideValue(w)), uint32_t(sideValue(h)), uint32_t(k % 7), 0,
             int16_t(k % 12));
        add(std::vector<uint8_t>(samples.begin(), samples.end()));
        pipeline.write(PipelineInput{sideValue(w), sideValue(h), k % 2 ? 2.0f : 1.0f}, stream);
        ++k;
    }

    // Temperature correction: each path.
    Seeds correction(dir, "fuzz_temperature_correction");
    DeviceCorrectionParam record{60, 0.95f, 20.0f, 30.0f, 1, 150, 40, 0, 200, 30000, 10000000, 0, 0};
    for (const char* model : {"DV01", "DV06", "DV19", "DV35", "XY99"})
        correction.write(CorrectionInput{pick(model), 36.5f, 0.95f, 0.8f, 1.5f, 5.0f, 20.0f, 30.0f,
                                         record, 0});
    std::printf("seeds written to %s\n", dir.c_str());
    return 0;
}
