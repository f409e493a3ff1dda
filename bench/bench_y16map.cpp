// Y16 grey mapping and frame enlargement on the synthetic raw room frame, at 640x512 and
// 1280x1024: one export call per iteration.
#include <benchmark/benchmark.h>

#include <vector>

#include "KModuleMeasure.h"
#include "y16_scene.h"

namespace {

struct Frame {
    int32_t width, height;
    std::vector<int16_t> y16;
    std::vector<uint8_t> grey;
};

Frame sceneFor(const benchmark::State& state) {
    const auto width = int32_t(state.range(0));
    const int32_t height = width * 4 / 5;
    return {width, height, kmm::scenes::y16Scene(width, height),
            std::vector<uint8_t>(size_t(width) * size_t(height))};
}

void countPixels(benchmark::State& state, const Frame& f) {
    state.SetItemsProcessed(int64_t(state.iterations()) * f.width * f.height);
}

void y16Mapping(benchmark::State& state, const char* model, bool autoRange) {
    Frame f = sceneFor(state);
    const int16_t high = 9000, low = 7400;
    for (auto _ : state) {
        Y16Mapping_dll(model, f.y16.data(), f.grey.data(), f.width, f.height, &high, &low,
                       autoRange);
        benchmark::DoNotOptimize(f.grey.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, f);
}

void y16MappingAD(benchmark::State& state, bool autoRange) {
    Frame f = sceneFor(state);
    for (auto _ : state) {
        int16_t high = 9000, low = 7400;
        Y16MappingAD_dll(f.y16.data(), f.grey.data(), 255, 100, f.width, f.height, &high, &low,
                         autoRange ? 1 : 0);
        benchmark::DoNotOptimize(f.grey.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, f);
}

void imageResize(benchmark::State& state, int32_t factor) {
    Frame f = sceneFor(state);
    std::vector<int16_t> big(f.y16.size() * size_t(factor * factor));
    for (auto _ : state) {
        image_resize_dll(big.data(), f.y16.data(), f.height, f.width, factor);
        benchmark::DoNotOptimize(big.data());
        benchmark::ClobberMemory();
    }
    countPixels(state, f);
}

#define KMM_SIZES Arg(640)->Arg(1280)->Unit(benchmark::kMillisecond)

BENCHMARK_CAPTURE(y16Mapping, window, "DV17", false)->KMM_SIZES;
BENCHMARK_CAPTURE(y16Mapping, agc_half_DV13, "DV13", true)->KMM_SIZES;
BENCHMARK_CAPTURE(y16Mapping, agc_full_DV17, "DV17", true)->KMM_SIZES;
BENCHMARK_CAPTURE(y16MappingAD, automatic, true)->KMM_SIZES;
BENCHMARK_CAPTURE(y16MappingAD, manual, false)->KMM_SIZES;
BENCHMARK_CAPTURE(imageResize, x2, 2)->KMM_SIZES;

}  // namespace
