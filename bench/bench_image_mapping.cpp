// imageMapping_dll per family and range mode on the synthetic room scene at two frame sizes.
#include <benchmark/benchmark.h>

#include <vector>

#include "KModuleMeasure.h"
#include "temperature_scene.h"

namespace {

void imageMappingCall(benchmark::State& state, const char* model, bool autoRange, float tuning) {
    const auto width = static_cast<int32_t>(state.range(0));
    const auto height = static_cast<int32_t>(state.range(1));
    const std::vector<float> temps = kmm::scenes::temperatureScene(width, height, 0);
    std::vector<uint8_t> image(temps.size());
    for (auto _ : state) {
        float maxTemp = 37.0f, minTemp = 15.0f;
        imageMapping_dll(model, tuning, temps.data(), image.data(), width, height, &maxTemp,
                         &minTemp, autoRange);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(temps.size()));
}

void sizes(benchmark::internal::Benchmark* b) {
    b->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);
}

BENCHMARK_CAPTURE(imageMappingCall, offset_auto, "DV01", true, 150.0f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, offset_manual, "DV01", false, 150.0f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, pipeline_auto, "DV07", true, 150.0f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, pipeline_manual, "DV07", false, 150.0f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, pipeline_manual_fine, "DV07", false, 150.5f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, kelvin_auto, "DV11", true, 150.0f)->Apply(sizes);
BENCHMARK_CAPTURE(imageMappingCall, kelvin_manual, "DV11", false, 150.0f)->Apply(sizes);

}  // namespace
