// The Kelvin-code and offset-code mappings on a synthetic room scene at 640 x 512 and
// 1280 x 1024: one whole frame per iteration, automatic range and caller's window.
#include <benchmark/benchmark.h>

#include <vector>

#include "imagemap/kelvin_mapping.h"
#include "imagemap/offset_code_mapping.h"
#include "temperature_scene.h"

namespace {

struct Frame {
    int32_t width, height;
    std::vector<float> celsius;
    std::vector<int16_t> offsetCodes;  // (T - 50) x 100, as the entry builds them below 200 degC
};

Frame sceneFrame(const benchmark::State& state) {
    Frame f{int32_t(state.range(0)), int32_t(state.range(1)), {}, {}};
    f.celsius = kmm::scenes::temperatureScene(f.width, f.height, 0);
    for (float t : f.celsius) f.offsetCodes.push_back(int16_t((t - 50.0f) * 100.0f));
    return f;
}

void kelvinFrame(benchmark::State& state, bool autoRange) {
    const Frame f = sceneFrame(state);
    std::vector<uint8_t> image(f.celsius.size());
    for (auto _ : state) {
        float maxTemp = 36.0f, minTemp = 20.0f;
        kmm::mapKelvinFrame(150.0f, {f.celsius.data(), f.width, f.height}, image.data(), 255, 80,
                            maxTemp, minTemp, autoRange);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.celsius.size()));
}

void offsetCodesAuto(benchmark::State& state) {
    const Frame f = sceneFrame(state);
    std::vector<uint8_t> image(f.celsius.size());
    for (auto _ : state) {
        int16_t maxCode = 0, minCode = 0;
        kmm::WorkBlock work(kmm::offsetCodeWorkBytes(f.width, f.height));
        kmm::mapOffsetCodesAuto(image.data(), {f.offsetCodes.data(), f.width, f.height}, maxCode,
                                minCode, kmm::kOffsetCodeEntryTuning, work);
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.celsius.size()));
}

void offsetCodesWindow(benchmark::State& state) {
    const Frame f = sceneFrame(state);
    std::vector<uint8_t> image(f.celsius.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(kmm::mapOffsetCodesWindow(
            image.data(), {f.offsetCodes.data(), f.width, f.height}, -1400, -3000));
        benchmark::DoNotOptimize(image.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.celsius.size()));
}

#define FRAME_SIZES Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMicrosecond)
BENCHMARK_CAPTURE(kelvinFrame, auto_range, true)->FRAME_SIZES;
BENCHMARK_CAPTURE(kelvinFrame, manual_window, false)->FRAME_SIZES;
BENCHMARK(offsetCodesAuto)->FRAME_SIZES;
BENCHMARK(offsetCodesWindow)->FRAME_SIZES;

}  // namespace
