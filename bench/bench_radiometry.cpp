// Raw counts to temperatures and back at 640x512, one export call per iteration: the aerial
// frame (116 counts occupied), the street frame (5,600), and random counts over all 65,536;
// the way back on each result, at the aerial frame's recorded scene.
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "KModuleMeasureRadiometry.h"
#include "random.h"

namespace {

constexpr int32_t kWidth = 640, kHeight = 512;
constexpr size_t kPixels = size_t(kWidth) * kHeight;
constexpr kmm_planck_constants kAerial{364058.0, 1.0, 1428.0, 1.0, -228.0};

std::vector<uint16_t> frame(int64_t which) {
    std::vector<uint16_t> raw(kPixels);
    if (which == 2) {
        kmm::scenes::SplitMix64 random(42);
        for (auto& v : raw) v = uint16_t(random.next());
        return raw;
    }
    const std::string file = which == 0 ? "aerial_640x512.u16le.raw" : "street_640x512x4.u16le.raw";
    std::ifstream in(std::string(KMM_FRAMES_DIR) + "/" + file, std::ios::binary);
    std::vector<unsigned char> bytes(kPixels * 2);
    in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size()));
    for (size_t i = 0; i < kPixels; ++i) raw[i] = uint16_t(bytes[2 * i] | bytes[2 * i + 1] << 8);
    return raw;
}

kmm_radiometric_scene recordedScene() {
    kmm_radiometric_scene s;
    kmm_radiometric_scene_defaults(&s);
    s.emissivity = 0.94, s.distance_m = 50.0, s.humidity_percent = 30.0;
    return s;
}

void rawToTemperatures(benchmark::State& state) {
    const auto raw = frame(state.range(0));
    const auto scene = recordedScene();
    std::vector<float> t(kPixels);
    for (auto _ : state) {
        kmm_raw_frame_to_temperatures(&kAerial, &scene, raw.data(), kWidth, kHeight, t.data());
        benchmark::DoNotOptimize(t.data());
        benchmark::ClobberMemory();
    }
}

void temperaturesToRaw(benchmark::State& state) {
    const auto scene = recordedScene();
    std::vector<float> t(kPixels);
    kmm_raw_frame_to_temperatures(&kAerial, &scene, frame(state.range(0)).data(), kWidth, kHeight,
                                  t.data());
    std::vector<uint16_t> raw(kPixels);
    for (auto _ : state) {
        kmm_temperatures_to_raw_frame(&kAerial, &scene, t.data(), kWidth, kHeight, raw.data());
        benchmark::DoNotOptimize(raw.data());
        benchmark::ClobberMemory();
    }
}

// 0 aerial, 1 street, 2 random counts over the whole 16-bit range.
BENCHMARK(rawToTemperatures)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(temperaturesToRaw)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
