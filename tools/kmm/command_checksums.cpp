// `kmm checksums`: a digest of everything each export writes on fixed synthetic inputs, one
// line per export and case. Every target builds the tool, so two builds whose tables agree
// compute the same bits (scripts/test-platforms.sh compares Linux x86-64, Windows under Wine
// and Linux arm64 under qemu). A new export adds one row to kRows. With --threads N every row
// runs again on N threads at once, each on its own buffers, and must digest as it did alone
// (the ThreadSanitizer build of scripts/test.sh runs it so). With --soak N every export runs at
// least N times on frames of --soak-size (a row that calls its export k times runs N / k
// times, rounded up), and the resident memory after the first and the last round shows
// whether anything grows (scripts/soak.sh).
#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "KModuleMeasure.h"
#include "KModuleMeasurePipeline.h"
#include "KModuleMeasureRadiometry.h"
#include "KModuleMeasureStatus.h"
#include "calibration_curves.h"
#include "pyro_blocks.h"
#include "temperature_scene.h"
#include "tool.h"
#include "y16_scene.h"

namespace kmm::tool {
namespace {

// FNV-1a over the bytes of every output, in call order. The targets are all little-endian.
// A NaN counts as one value: x86 and ARM give the NaN of an invalid operation different sign
// bits, and no result means more by them.
class Digest {
public:
    template <class T>
    void add(const T& value) {
        static_assert(std::is_trivially_copyable_v<T>);
        if constexpr (std::is_same_v<T, float>) {
            const float v = std::isnan(value) ? std::numeric_limits<float>::quiet_NaN() : value;
            bytes(&v, sizeof v);
        } else {
            bytes(&value, sizeof value);
        }
    }
    template <class T>
    void add(const std::vector<T>& values) {
        for (const T& v : values) add(v);
    }
    uint64_t value() const { return hash_; }

private:
    void bytes(const void* data, size_t size) {
        const auto* p = static_cast<const unsigned char*>(data);
        for (size_t i = 0; i < size; ++i) hash_ = (hash_ ^ p[i]) * 0x100000001B3ull;
    }
    uint64_t hash_ = 0xCBF29CE484222325ull;
};

struct Scene {
    int32_t width, height;
    std::vector<int16_t> y16;
    std::vector<float> room, hot;

    Scene(int32_t w, int32_t h)
        : width(w), height(h), y16(scenes::y16Scene(w, h)),
          room(scenes::temperatureScene(w, h, 0)), hot(scenes::temperatureScene(w, h, 1)) {}
    size_t pixels() const { return size_t(width) * size_t(height); }
};

// Closed-library blocks (a standard model in range mode 1, a fire model in range mode 2)
// around the raw room frame plus a ramp from left to right that reaches fire temperatures;
// small ones for the per-value sweeps, each call of which processes its whole frame.
PyroBlocks pyroBlocks(const Scene& scene, int rangeMode, int width, int height) {
    PyroBlocks b = demoBlocks(width, height, rangeMode);
    for (size_t i = 0; i < b.frame.size(); ++i)
        b.frame[i] = uint16_t(scene.y16[i] + int(i % size_t(width)) * 24000 / width);
    return b;
}

struct Inputs {
    Scene odd{161, 121};     // every kernel's ragged edges
    Scene camera{640, 512};  // the usual frame
    scenes::CalibrationCurves curves = scenes::syntheticCalibrationCurves();
    PyroBlocks standard = pyroBlocks(odd, 1, odd.width, odd.height);
    PyroBlocks fire = pyroBlocks(odd, 2, odd.width, odd.height);
    PyroBlocks smallStandard = pyroBlocks(odd, 1, 16, 12);
    PyroBlocks smallFire = pyroBlocks(odd, 2, 16, 12);

    Inputs() = default;
    // Both frames width x height (at least 16 x 12, the per-value sweeps' frame), for a soak.
    Inputs(int32_t width, int32_t height) : odd(width, height), camera(width, height) {}
};

// A row calls one export on the inputs and feeds everything it writes to the digest.
using Run = std::function<void(const Inputs& in, Digest& d)>;
struct Row {
    const char* name;
    Run run;
    int calls = 1;  // calls of its export in one run of the row, at least
};

// A row of a function with leading arguments: with(correction, "DV01").
template <class F, class... Args>
Run with(F f, Args... args) {
    return [=](const Inputs& in, Digest& d) { f(args..., in, d); };
}

// ---- temperature correction and calibration curves -------------------------------------------

void correction(const char* model, const Inputs&, Digest& d) {
    DeviceCorrectionParam r{60, 0.95f, 23.0f, 25.0f, 0, 20, 5, 12, -340, 25, 980000, -3, 150};
    struct Conditions {
        float oldE, newE, oldD, newD, oldR, newR;
    };
    const Conditions cases[] = {{0.95f, 0.80f, 1.5f, 1.5f, 23.0f, 23.0f},
                                {1.00f, 0.50f, 1.0f, 1.0f, 20.0f, 20.0f},
                                {0.95f, 0.95f, 1.5f, 5.0f, 23.0f, 23.0f},
                                {0.95f, 0.95f, 10.0f, 0.5f, 23.0f, 23.0f},
                                {0.90f, 0.90f, 2.0f, 2.0f, 23.0f, 40.0f},
                                {0.70f, 0.98f, 3.0f, 8.0f, 40.0f, -10.0f}};
    for (int mode : {0, 1}) {
        r.compMode = mode;
        for (const Conditions& c : cases)
            for (float t = -40.0f; t < 2100.0f; t += 13.7f) {
                float result = NAN;
                getNewTemperature_dll(model, &result, t, c.oldE, c.newE, c.oldD, c.newD, c.oldR,
                                      c.newR, &r);
                d.add(result);
            }
    }
}

// Every correction on: drift with a reference slope, ambient, both blend axes, emissivity
// 0.90 and transmission 0.80.
MeasureState curveState() {
    MeasureState s{};
    s.driftEnable = s.ambientEnable = s.twoAxisMode = 1;
    s.emissivityEnable = s.transmissionEnable = 1;
    s.driftSlopeMode = 1;
    s.driftY16Prev = 8000;
    s.driftY16Last = 8040;
    s.ambientBaseTemp = 23.0f;
    s.curveRefTemp = s.curveRefTempAlt = 25.0f;
    s.driftTempNow = 26.0f, s.driftTempLast = 25.5f, s.driftTempPrev = 24.8f;
    s.segmentKey = 13.0f;
    s.ambientCoefHigh = 1.5f, s.ambientCoefLow = -0.75f;
    s.gain0 = 1.0f, s.offset0 = 0.2f, s.gain1 = 1.1f, s.offset1 = -0.3f;
    s.driftSlopeRefHigh = 2.0f, s.driftSlopeRefLow = 1.5f;
    s.driftSlopeHigh = 2.5f, s.driftSlopeLow = 1.25f;
    s.segmentIndex = 1;
    s.settingKey = 1.0f;
    return s;
}

ParaConfig curveConfig(int32_t type) {
    ParaConfig c{};
    const float breakpoints[] = {10.0f, 20.0f};
    SetParaConfig_dll(&c, breakpoints, 2, 4.0f, 0.0f, -20.0f, 0.0f, 0.90f, 23.0f, 0.80f,
                      uint32_t(type));
    return c;
}

void curveTemperatures(decltype(&GetHighTemperature_dll) fn, const Inputs& in, Digest& d) {
    const MeasureState state = curveState();
    for (int32_t type = 0; type <= 3; ++type)
        for (uint32_t y16 = 0; y16 <= 0xFFFF; y16 += 61)
            d.add(fn(uint16_t(y16), in.curves.block.data(), in.curves.length, nullptr,
                     TempCalcInfo{}, state, curveConfig(type), type));
}

void configSetter(const Inputs&, Digest& d) {
    const float values[10] = {-5.0f, 0.0f, 2.5f, 7.0f, 12.0f, 20.0f, 35.0f, 60.0f, 90.0f, 150.0f};
    for (uint32_t type : {0u, 3u, 4u})
        for (uint8_t count : {uint8_t(0), uint8_t(4), uint8_t(10), uint8_t(11)}) {
            ParaConfig c;
            std::memset(&c, 0xA5, sizeof c);
            SetParaConfig_dll(&c, values, count, 4.5f, -1.0f, -20.0f, 7.0f, 0.95f, 23.0f, 0.85f,
                              type);
            d.add(c);
        }
}

void reverseCalculation(const Inputs& in, Digest& d) {
    const MeasureState state = curveState();
    for (bool high : {true, false})
        for (int32_t type = 0; type <= 3; ++type)
            for (float t = -30.0f; t < 160.0f; t += 0.7f)
                d.add(ReverseCalculationLsb_dll(t, in.curves.block.data(), in.curves.length,
                                                high, 0, state, curveConfig(type), type));
}

// ---- Y16 frames -------------------------------------------------------------------------------

// The window 7400..9000, an upside-down one and a single level; or the model's AGC.
void y16Mapping(const char* model, bool autoRange, const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera}) {
        const int16_t windows[][2] = {{9000, 7400}, {7400, 9000}, {8000, 8000}};
        for (const auto& w : windows) {
            std::vector<uint8_t> grey(s->pixels(), 0);
            Y16Mapping_dll(model, s->y16.data(), grey.data(), s->width, s->height, &w[0], &w[1],
                           autoRange);
            d.add(grey);
            if (autoRange) break;
        }
    }
}

void percentileMapping(int32_t autoRange, const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera})
        for (int32_t contrast : {255, 128, 40}) {
            std::vector<uint8_t> grey(s->pixels(), 0);
            int16_t high = 9500, low = 7600;
            Y16MappingAD_dll(s->y16.data(), grey.data(), contrast, 100, s->width, s->height,
                             &high, &low, autoRange);
            d.add(grey);
            d.add(high);
            d.add(low);
        }
}

void resize(const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera})
        for (int32_t factor : {1, 2, 3}) {
            std::vector<int16_t> big(s->pixels() * size_t(factor * factor), 0);
            image_resize_dll(big.data(), s->y16.data(), s->height, s->width, factor);
            d.add(big);
        }
}

// ---- temperature matrices ---------------------------------------------------------------------

// Both scenes, automatic and manual range, standard and fine tuning (the pipeline's only).
void imageMapping(const char* model, const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera})
        for (const std::vector<float>* temps : {&s->room, &s->hot})
            for (bool autoRange : {true, false})
                for (float tuning : {150.0f, 100.0f}) {
                    std::vector<uint8_t> grey(s->pixels(), 0);
                    float high = temps == &s->room ? 37.0f : 330.0f, low = 15.0f;
                    imageMapping_dll(model, tuning, temps->data(), grey.data(), s->width,
                                     s->height, &high, &low, autoRange);
                    d.add(grey);
                    d.add(high);
                    d.add(low);
                }
}

// ---- image pipeline ---------------------------------------------------------------------------

// The pipeline as a host drives it, in three set-ups that between them switch every stage on,
// two frames each so that the temporal filter and the adaptive equalisation's saved maps see a
// sequence: the 16-bit corrections with bad pixels marked under the linear mapping; flat-field
// correction under the mixed mapping; the detail-enhanced mapping with every 8-bit stage,
// zoomed and coloured with marks.
void pipelineRuns(const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera})
        for (int setup = 0; setup < 3; ++setup) {
            kmm_pipeline* p = kmm_pipeline_create(s->width, s->height, setup == 2 ? 1.5f : 1.0f);
            std::vector<uint16_t> dark(s->pixels(), 100), gain(s->pixels());
            const std::vector<uint16_t> raw(s->y16.begin(), s->y16.end());
            for (size_t i = 0; i < gain.size(); ++i)
                gain[i] = uint16_t(8162 + i % 61 + (i % 53 == 7 ? 0x8000 : 0));
            std::vector<uint8_t> lut(256);
            for (size_t g = 0; g < lut.size(); ++g) lut[g] = uint8_t(255 - g);
            const kmm_status statuses[] = {
                kmm_pipeline_set_flat_field(p, setup == 1),
                kmm_pipeline_set_bad_pixel_repair(p, setup == 0),
                kmm_pipeline_load_flat_field(p, setup == 1 ? dark.data() : nullptr, gain.data(),
                                             setup == 1 ? raw.data() : nullptr),
                kmm_pipeline_set_temporal_filter(p, setup == 0, 12),
                kmm_pipeline_set_column_stripes(p, setup == 0, 7, 3000, 30),
                kmm_pipeline_set_row_stripes(p, setup == 0, 9, 3500, 20),
                kmm_pipeline_set_smoothing(p, setup < 2, uint32_t(setup == 0), 7),
                kmm_pipeline_set_mirror(p, setup == 0, 2),
                kmm_pipeline_set_rotation(p, setup < 2, setup == 1 ? 2u : 0u),
                kmm_pipeline_set_mapping(p, uint32_t(std::array{0, 2, 3}[size_t(setup)])),
                kmm_pipeline_set_window(p, 9000, 7600),
                kmm_pipeline_set_linear(p, 20, 100, 180),
                kmm_pipeline_set_equalised(p, 90, 150, 220),
                kmm_pipeline_set_detail(p, setup == 2, 5, 40),
                kmm_pipeline_set_adaptive_equalisation(p, setup == 2, 3, 2, 4),
                kmm_pipeline_set_lut(p, setup == 2),
                kmm_pipeline_load_lut(p, lut.data()),
                kmm_pipeline_set_sharpen(p, setup == 2, 0.5f),
                kmm_pipeline_set_contrast(p, setup == 2, 140, 200),
                kmm_pipeline_set_zoom_mode(p, 0),
                kmm_pipeline_set_colour(p, setup == 2, 3, KMM_COLOUR_NV12, 1),
                kmm_pipeline_set_marks(p, 2, 8600, 7800, 0xFF00FF, 0)};
            d.add(std::vector<kmm_status>(std::begin(statuses), std::end(statuses)));
            kmm_pipeline_image image{};
            d.add(kmm_pipeline_output(p, &image));
            std::vector<uint8_t> out(size_t(image.bytes), 0);
            for (int16_t shift : {0, 40}) {
                std::vector<int16_t> frame(s->y16);
                for (size_t i = 0; i < frame.size(); i += 3) frame[i] = int16_t(frame[i] + shift);
                d.add(kmm_pipeline_run(p, frame.data(), out.data(), out.size(), &image));
                for (uint64_t v : {uint64_t(image.width), uint64_t(image.height), image.bytes})
                    d.add(v);
                d.add(out);
            }
            kmm_pipeline_destroy(p);
        }
}

// Every palette in every format, on a grey image of the frame's top bits.
void colourImage(const Inputs& in, Digest& d) {
    const Scene& s = in.odd;
    std::vector<uint8_t> grey(s.pixels());
    for (size_t i = 0; i < grey.size(); ++i) grey[i] = uint8_t(s.y16[i] >> 6);
    std::vector<uint8_t> out(s.pixels() * 4);
    for (uint32_t palette = 0; palette < 12; ++palette)
        for (int format = 0; format < 12; ++format) {
            size_t written = 0;
            d.add(kmm_colour_image(grey.data(), s.width, s.height, palette,
                                   kmm_colour_format(format), out.data(), out.size(), &written));
            d.add(std::vector<uint8_t>(out.begin(), out.begin() + std::ptrdiff_t(written)));
        }
}

// ---- closed library ---------------------------------------------------------------------------

constexpr float kEmissivity = 0.95f, kDistance = 2.0f, kReflected = 23.0f;

void pyroMatrix(const char* model, PyroBlocks Inputs::*blocks, const Inputs& in, Digest& d) {
    const PyroBlocks& b = in.*blocks;
    const PYRO_PARAM p = b.param();
    std::vector<float> t(b.frame.size(), 0.0f);
    getNewTempWithPyro_dll(model, b.width, b.height, p.y16Data, p.y16Count, p.calibData,
                           p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                           p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, t.data(),
                           kEmissivity, kDistance, kReflected);
    d.add(t);
}

void pyroPoint(const char* model, PyroBlocks Inputs::*blocks, const Inputs& in, Digest& d) {
    const PyroBlocks& b = in.*blocks;
    const PYRO_PARAM p = b.param();
    for (uint32_t y16 = 0; y16 <= 0xFFFF; y16 += 509) {
        float t = 0.0f;
        getNewTemperatureWithPYROByY16(model, b.width, b.height, p.y16Data, p.y16Count,
                                       uint16_t(y16), p.calibData, p.calibLength, p.sceneB,
                                       p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                                       p.sceneCLength, p.paramLine, p.paramLineLength, &t,
                                       kEmissivity, kDistance, kReflected, 0.0f);
        d.add(t);
    }
}

void pyroY16(const char* model, PyroBlocks Inputs::*blocks, const Inputs& in, Digest& d) {
    const PyroBlocks& b = in.*blocks;
    const PYRO_PARAM p = b.param();
    for (float t = -20.0f; t < 2000.0f; t += 15.3f) {
        int16_t y16 = 0;
        getY16WithPyro_dll(model, b.width, b.height, p.y16Data, p.y16Count, p.calibData,
                           p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                           p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, t, &y16,
                           kEmissivity, kDistance, kReflected);
        d.add(y16);
    }
}

void pyroGrey(const char* model, PyroBlocks Inputs::*blocks, const Inputs& in, Digest& d) {
    const PyroBlocks& b = in.*blocks;
    const PYRO_PARAM p = b.param();
    for (bool autoRange : {true, false}) {
        std::vector<uint8_t> grey(b.frame.size(), 0);
        float high = 45.0f, low = 15.0f;
        y16MappingWithPyro_dll(model, grey.data(), &high, &low, autoRange, b.width, b.height,
                               p.y16Data, p.y16Count, p.calibData, p.calibLength, p.sceneB,
                               p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                               p.sceneCLength, p.paramLine, p.paramLineLength, kEmissivity,
                               kDistance, kReflected);
        d.add(grey);
        d.add(high);
        d.add(low);
    }
}

void pyroFire(const Inputs& in, Digest& d) {
    const PyroBlocks& b = in.fire;
    const PYRO_PARAM p = b.param();
    for (int mode = 3; mode <= 9; ++mode)
        for (int set = 0; set <= 3; ++set) {
            std::vector<uint8_t> rgb(b.frame.size() * 3, 0);
            float high = 0.0f, low = 0.0f, level = 0.0f;
            y16MappingWithPyroToRgb_dll("DV35", rgb.data(), &high, &low, b.width, b.height,
                                        p.y16Data, p.y16Count, p.calibData, p.calibLength,
                                        p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                                        p.sceneC, p.sceneCLength, p.paramLine,
                                        p.paramLineLength, kEmissivity, kDistance, kReflected,
                                        mode, set, 100, 200, 300, 400, &level);
            d.add(rgb);
            d.add(high);
            d.add(low);
            d.add(level);
        }
}

PYRO_MEASUREPARAM measureParam() { return {kEmissivity, kDistance, kReflected, 1, 2, 3}; }

void memberMatrix(const Inputs& in, Digest& d) {
    for (const PyroBlocks* b : {&in.standard, &in.fire}) {
        std::vector<float> t(b->frame.size(), 0.0f);
        PYRO_MEASUREPARAM m = measureParam();
        KestrelModuleMeasureMin::tempwithpyroDll(b == &in.fire ? "DV35" : "DV28", t.data(),
                                                 b->param(), m);
        d.add(t);
    }
}

void memberGrey(const Inputs& in, Digest& d) {
    for (const PyroBlocks* b : {&in.standard, &in.fire})
        for (bool autoRange : {true, false}) {
            std::vector<uint8_t> grey(b->frame.size(), 0);
            float high = 45.0f, low = 15.0f;
            PYRO_MEASUREPARAM m = measureParam();
            KestrelModuleMeasureMin::y16MappingWithPyro_dll(b == &in.fire ? "DV35" : "DV28",
                                                            grey.data(), &high, &low, autoRange,
                                                            b->param(), m);
            d.add(grey);
            d.add(high);
            d.add(low);
        }
}

// ---- radiometry -------------------------------------------------------------------------------

constexpr kmm_planck_constants kPlanck{364058.0, 1.0, 1428.0, 1.0, -228.0};

// A black body with no air; an object at emissivity 0.94 through 50 m of air and a window.
std::vector<kmm_radiometric_scene> radiometricScenes() {
    kmm_radiometric_scene plain, path;
    kmm_radiometric_scene_defaults(&plain);
    path = plain;
    path.emissivity = 0.94, path.distance_m = 50.0, path.humidity_percent = 30.0;
    path.window_transmission = 0.9;
    return {plain, path};
}

void rawToTemperatures(const Inputs& in, Digest& d) {
    for (const auto& scene : radiometricScenes())
        for (const Scene* s : {&in.odd, &in.camera}) {
            const std::vector<uint16_t> raw(s->y16.begin(), s->y16.end());  // bits as counts
            std::vector<float> t(s->pixels(), 0.0f);
            d.add(kmm_raw_frame_to_temperatures(&kPlanck, &scene, raw.data(), s->width,
                                                s->height, t.data()));
            d.add(t);
        }
}

void temperaturesToRaw(const Inputs& in, Digest& d) {
    for (const auto& scene : radiometricScenes())
        for (const Scene* s : {&in.odd, &in.camera})
            for (const std::vector<float>* temps : {&s->room, &s->hot}) {
                std::vector<uint16_t> raw(s->pixels(), 0);
                d.add(kmm_temperatures_to_raw_frame(&kPlanck, &scene, temps->data(), s->width,
                                                    s->height, raw.data()));
                d.add(raw);
            }
}

// The one-value forms answer in double from the C library's exp and log, whose last bit is
// the library's own: the digest takes them rounded to float.
void radiometryValues(const Inputs&, Digest& d) {
    for (const auto& scene : radiometricScenes()) {
        for (double raw = 0.0; raw < 65536.0; raw += 97.3) {
            double t = 0.0;
            d.add(kmm_raw_to_temperature(&kPlanck, &scene, raw, &t));
            d.add(float(t));
        }
        for (double t = -60.0; t < 2000.0; t += 13.7) {
            double raw = 0.0;
            d.add(kmm_temperature_to_raw(&kPlanck, &scene, t, &raw));
            d.add(float(raw));
        }
    }
}

void statusAndVersion(const Inputs&, Digest& d) {
    auto text = [&d](const char* s) {
        for (; *s; ++s) d.add(*s);
        d.add('\n');
    };
    for (int status = 1; status >= -7; --status) text(kmm_status_text(kmm_status(status)));
    text(kmm_version());
}

void inputFrames(const Inputs& in, Digest& d) {
    d.add(in.odd.y16);
    d.add(in.camera.y16);
}

void inputTemperatures(const Inputs& in, Digest& d) {
    for (const Scene* s : {&in.odd, &in.camera}) {
        d.add(s->room);
        d.add(s->hot);
    }
}

void inputCurves(const Inputs& in, Digest& d) { d.add(in.curves.block); }

const Row kRows[] = {
    {"input: raw room frames", inputFrames},
    {"input: temperature scenes", inputTemperatures},
    {"input: calibration curves", inputCurves},
    {"getNewTemperature_dll DV01 (short range)", with(correction, "DV01")},
    {"getNewTemperature_dll DV19 (full range)", with(correction, "DV19")},
    {"getNewTemperature_dll DV35 (fire)", with(correction, "DV35")},
    {"getNewTemperature_dll XY99 (unlisted)", with(correction, "XY99")},
    {"GetHighTemperature_dll", with(curveTemperatures, GetHighTemperature_dll)},
    {"GetLowTemperature_dll", with(curveTemperatures, GetLowTemperature_dll)},
    {"SetParaConfig_dll", configSetter},
    {"ReverseCalculationLsb_dll", reverseCalculation},
    {"Y16Mapping_dll manual windows", with(y16Mapping, "DV13", false)},
    {"Y16Mapping_dll DV13 (half-resolution AGC)", with(y16Mapping, "DV13", true)},
    {"Y16Mapping_dll DV17 (full-resolution AGC)", with(y16Mapping, "DV17", true)},
    {"Y16MappingAD_dll automatic limits", with(percentileMapping, 1)},
    {"Y16MappingAD_dll manual limits", with(percentileMapping, 0)},
    {"imageMapping_dll DV01 (offset codes)", with(imageMapping, "DV01"), 16},
    {"imageMapping_dll DV07 (pipeline)", with(imageMapping, "DV07"), 16},
    {"imageMapping_dll DV08 (pipeline)", with(imageMapping, "DV08"), 16},
    {"imageMapping_dll DV11 (Kelvin codes)", with(imageMapping, "DV11"), 16},
    {"image_resize_dll", resize, 6},
    {"kmm_pipeline_* (every stage)", pipelineRuns, 12},
    {"kmm_colour_image", colourImage, 144},
    {"getNewTempWithPyro_dll DV28", with(pyroMatrix, "DV28", &Inputs::standard)},
    {"getNewTempWithPyro_dll DV35", with(pyroMatrix, "DV35", &Inputs::fire)},
    {"getNewTemperatureWithPYROByY16 DV28", with(pyroPoint, "DV28", &Inputs::smallStandard)},
    {"getNewTemperatureWithPYROByY16 DV35", with(pyroPoint, "DV35", &Inputs::smallFire)},
    {"getY16WithPyro_dll DV28", with(pyroY16, "DV28", &Inputs::smallStandard)},
    {"getY16WithPyro_dll DV35", with(pyroY16, "DV35", &Inputs::smallFire)},
    {"y16MappingWithPyro_dll DV28", with(pyroGrey, "DV28", &Inputs::standard), 2},
    {"y16MappingWithPyro_dll DV35", with(pyroGrey, "DV35", &Inputs::fire), 2},
    {"y16MappingWithPyroToRgb_dll DV35", pyroFire, 28},
    {"KestrelModuleMeasureMin::tempwithpyroDll", memberMatrix, 2},
    {"KestrelModuleMeasureMin::y16MappingWithPyro_dll", memberGrey, 4},
    {"kmm_raw_frame_to_temperatures", rawToTemperatures},
    {"kmm_temperatures_to_raw_frame", temperaturesToRaw},
    {"kmm_raw_to_temperature, kmm_temperature_to_raw", radiometryValues},
    {"kmm_status_text, kmm_version", statusAndVersion},
};

uint64_t digestOf(const Row& row, const Inputs& inputs) {
    Digest digest;
    row.run(inputs, digest);
    return digest.value();
}

std::vector<uint64_t> digests(const Inputs& inputs, size_t firstRow) {
    constexpr size_t kCount = std::size(kRows);
    std::vector<uint64_t> out(kCount);
    for (size_t k = 0; k < kCount; ++k) {
        const size_t r = (firstRow + k) % kCount;
        out[r] = digestOf(kRows[r], inputs);
    }
    return out;
}

// Every row on each of threads threads at once, each thread starting at another row so that
// different exports overlap. The first thread works on the table's inputs, every other one on
// frames of its own size, so the exports at once see different frames; a row that digests
// otherwise than it did alone on the same inputs fails the command.
void compareThreads(const Inputs& inputs, const std::vector<uint64_t>& alone, int threads) {
    std::vector<std::unique_ptr<Inputs>> own;
    std::vector<const Inputs*> in{&inputs};
    std::vector<std::vector<uint64_t>> expected{alone};
    for (int t = 1; t < threads; ++t) {
        own.push_back(std::make_unique<Inputs>(161 + 16 * t, 121 + 8 * t));
        in.push_back(own.back().get());
        expected.push_back(digests(*own.back(), 0));
    }
    std::vector<std::vector<uint64_t>> results(static_cast<size_t>(threads));
    {
        std::vector<std::jthread> pool;
        for (size_t t = 0; t < size_t(threads); ++t)
            pool.emplace_back([&, t] {
                results[t] = digests(*in[t], t * std::size(kRows) / size_t(threads));
            });
    }
    int differing = 0;
    for (size_t r = 0; r < alone.size(); ++r)
        for (size_t t = 0; t < results.size(); ++t)
            if (results[t][r] != expected[t][r]) {
                std::printf("differs on %d threads: %s\n", threads, kRows[r].name);
                ++differing;
                break;
            }
    if (differing) throw ToolError(std::to_string(differing) + " rows differ under threads");
    std::printf("every row identical on %d threads at once, each on frames of its own\n",
                threads);
}

// Resident memory in KiB (Linux; 0 elsewhere).
long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

void soak(int calls, int32_t width, int32_t height) {
    const Inputs inputs(width, height);
    const auto first = digests(inputs, 0);
    const long before = residentKiB();
    std::vector<int> runs;  // of each row: enough for calls of its export
    for (const Row& row : kRows) runs.push_back((calls + row.calls - 1) / row.calls);
    const int rounds = *std::max_element(runs.begin(), runs.end());
    // A line at every tenth of the way, so a soak cut short still shows its course.
    const int tenth = std::max(1, rounds / 10);
    const auto start = std::chrono::steady_clock::now();
    for (int round = 1; round < rounds; ++round) {
        for (size_t r = 0; r < std::size(kRows); ++r) {
            if (round < runs[r] && digestOf(kRows[r], inputs) != first[r])
                throw ToolError(std::string(kRows[r].name) + ": a soak round digests otherwise");
        }
        if ((round + 1) % tenth == 0 && round + 1 < rounds) {
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            std::printf("  %d rounds: resident %ld KiB, %.0f s\n", round + 1, residentKiB(),
                        elapsed.count());
            std::fflush(stdout);
        }
    }
    std::printf("every export at least %d times at %dx%d in %d rounds: resident %ld KiB after "
                "the first, %ld KiB after the last\n", calls, width, height, rounds, before,
                residentKiB());
}

void setupChecksums(CLI::App& app) {
    auto* cmd = app.add_subcommand(
        "checksums", "Print a digest of every export's output on fixed synthetic inputs, one "
                     "line per export and case: builds for other targets must print the same");
    static int threads = 0, calls = 0;
    static std::vector<int32_t> soakSize{16, 12};
    cmd->add_option("--threads", threads,
                    "Then run every row on N threads at once and compare with the lines above")
        ->check(CLI::Range(2, 64));
    cmd->add_option("--soak", calls,
                    "Instead, call every export at least N times and report resident memory "
                    "(see --soak-size)")
        ->check(CLI::Range(2, 100000000));
    cmd->add_option("--soak-size", soakSize, "Frame size W H of the soak (at least 16 12)")
        ->expected(2)
        ->check(CLI::Range(1, 8192));
    cmd->callback([] {
        if (calls) {
            if (soakSize[0] < 16 || soakSize[1] < 12 || soakSize[0] * soakSize[1] < 192)
                throw ToolError("--soak-size: at least 16 12");
            return soak(calls, soakSize[0], soakSize[1]);
        }
        const Inputs inputs;
        const auto alone = digests(inputs, 0);
        for (size_t r = 0; r < alone.size(); ++r)
            std::printf("%-50s %016llx\n", kRows[r].name,
                        static_cast<unsigned long long>(alone[r]));
        if (threads) compareThreads(inputs, alone, threads);
    });
}

const bool registered = registerCommand(setupChecksums);

}  // namespace
}  // namespace kmm::tool
