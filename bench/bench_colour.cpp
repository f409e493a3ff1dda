// Pseudo-colour conversion of a 640x512 grey image, per output format.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "imagemap/pipeline/colour_layout.h"

namespace {

void colourConversion(benchmark::State& state) {
    const auto format = static_cast<uint32_t>(state.range(0));
    constexpr int32_t kWidth = 640, kHeight = 512;
    std::vector<uint8_t> grey(size_t(kWidth) * kHeight);
    std::mt19937 rng(1);
    for (auto& g : grey) g = uint8_t(rng());
    std::vector<uint8_t> out(kmm::colourOutputBytes(format, kWidth, kHeight));
    for (auto _ : state) {
        kmm::colourByPalette(out.data(), grey.data(), kWidth, kHeight, 3, format);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(grey.size()));
}

BENCHMARK(colourConversion)->DenseRange(0, 11)->Unit(benchmark::kMillisecond);

}  // namespace
