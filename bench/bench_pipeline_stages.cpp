// Each ImagePipeline stage alone at 640 x 512 on the synthetic room scene: one run of an object
// with that stage on and everything else off (the mapping, plain linear, included in each, and
// measured alone as the baseline), plus the adaptive equalisation of a grey image by itself.
#include <benchmark/benchmark.h>

#include <functional>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"
#include "temperature_scene.h"

namespace {

constexpr int32_t kWidth = 640, kHeight = 512;

std::vector<int16_t> sceneCodes() {
    std::vector<int16_t> codes;
    for (float t : kmm::scenes::temperatureScene(kWidth, kHeight, 0)) codes.push_back(int16_t(t * 20.0f));
    return codes;
}

void stage(benchmark::State& state, const std::function<void(kmm::ImagePipeline&)>& switchOn,
           float zoom = 1.0f) {
    const std::vector<int16_t> codes = sceneCodes();
    kmm::ImagePipeline p(kWidth, kHeight, zoom);
    p.setColumnStripeFilter(false);
    p.setPseudoColour(false);
    p.setMappingMode(3);
    p.setRangeHigh(800);
    p.setRangeLow(300);
    switchOn(p);
    std::vector<uint8_t> out(p.outputShape().bytes);
    for (auto _ : state) {
        p.run(codes.data(), out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(codes.size()));
}

void adaptiveEqualisation(benchmark::State& state) {
    std::vector<uint8_t> grey, out(size_t(kWidth) * kHeight);
    for (int16_t c : sceneCodes()) grey.push_back(uint8_t(c));
    kmm::ImagePipeline p(kWidth, kHeight, 1.0f);
    for (auto _ : state) {
        p.equaliseAdaptive(out.data(), grey.data(), kWidth, kHeight);
        benchmark::DoNotOptimize(out.data());
    }
}

using P = kmm::ImagePipeline;
BENCHMARK_CAPTURE(stage, mapping_only, [](P&) {});
BENCHMARK_CAPTURE(stage, flat_field, [](P& p) {
    p.setFlatFieldCorrection(true);
    const std::vector<uint16_t> raw(size_t(kWidth) * kHeight, 3000), dark(raw.size(), 100), gain(raw.size(), 8192);
    p.loadFlatField(dark.data(), gain.data(), raw.data());
});
BENCHMARK_CAPTURE(stage, bad_pixels, [](P& p) {
    p.setBadPixelRepair(true);
    std::vector<uint16_t> gain(size_t(kWidth) * kHeight, 8192);
    for (size_t i = 0; i < gain.size(); i += 97) gain[i] |= 0x8000;  // about 1 % flagged
    p.loadFlatField(nullptr, gain.data(), nullptr);
});
BENCHMARK_CAPTURE(stage, temporal, [](P& p) { p.setTemporalFilter(true); });
BENCHMARK_CAPTURE(stage, column_stripes, [](P& p) { p.setColumnStripeFilter(true); });
BENCHMARK_CAPTURE(stage, row_stripes, [](P& p) { p.setRowStripeFilter(true); });
BENCHMARK_CAPTURE(stage, mirror, [](P& p) { p.flipOn = 1; });
BENCHMARK_CAPTURE(stage, rotation, [](P& p) { p.setRotation(true); });
BENCHMARK_CAPTURE(stage, detail, [](P& p) { p.detailOn = 1; });
BENCHMARK_CAPTURE(stage, detail_adaptive, [](P& p) {
    p.detailOn = 1;
    p.setAdaptiveEqualisation(true);
});
BENCHMARK_CAPTURE(stage, lut, [](P& p) { p.lutOn = 1; });
BENCHMARK_CAPTURE(stage, sharpen, [](P& p) { p.sharpenOn = 1; });
BENCHMARK_CAPTURE(stage, contrast, [](P& p) { p.contrastOn = 1; });
BENCHMARK_CAPTURE(stage, colour_rgb, [](P& p) { p.setPseudoColour(true); });
BENCHMARK_CAPTURE(stage, zoom_2_bilinear, [](P&) {}, 2.0f);
BENCHMARK(adaptiveEqualisation);

}  // namespace
