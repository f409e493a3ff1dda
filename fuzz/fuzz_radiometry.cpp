// The kmm_ radiometry exports on arbitrary Planck constants, scenes, sizes, raw counts and
// temperatures: a refusal writes nothing, and the way back of a record returns every finite
// temperature to a count of that temperature.
#include <cmath>
#include <cstring>

#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<RadiometryInput>();
    const int32_t width = side(p.width, 96), height = side(p.height, 96);
    const size_t count = pixels(width, height);
    const auto raw = in.values<uint16_t>(count);
    const auto celsius = in.values<float>(count);
    const kmm_planck_constants* planck = (p.nulls & 1) ? nullptr : &p.planck;
    const kmm_radiometric_scene* scene = (p.nulls & 2) ? nullptr : &p.scene;

    // Canary-filled outputs: a refusal must leave every value as it was.
    constexpr float kCanary = -12345.0f;
    std::vector<float> temperatures(raw.size(), kCanary);
    const kmm_status toCelsius = kmm_raw_frame_to_temperatures(
        planck, scene, (p.nulls & 4) ? nullptr : raw.data(), width, height,
        (p.nulls & 8) ? nullptr : temperatures.data());
    if (toCelsius != KMM_OK)
        for (float t : temperatures) check(t == kCanary);

    std::vector<uint16_t> back(raw.size(), 0xBEEF);
    const kmm_status toRaw = kmm_temperatures_to_raw_frame(
        planck, scene, (p.nulls & 4) ? nullptr : celsius.data(), width, height,
        (p.nulls & 8) ? nullptr : back.data());
    if (toRaw != KMM_OK)
        for (uint16_t r : back) check(r == 0xBEEF);

    // The way back of the same record finds, for every finite temperature just computed, a
    // count with that very temperature (the count itself unless float merges neighbours).
    if (toCelsius == KMM_OK && toRaw == KMM_OK) {
        kmm_temperatures_to_raw_frame(planck, scene, temperatures.data(), width, height,
                                      back.data());
        std::vector<float> again(count);
        kmm_raw_frame_to_temperatures(planck, scene, back.data(), width, height, again.data());
        for (size_t i = 0; i < count; ++i)
            if (std::isfinite(temperatures[i])) check(again[i] == temperatures[i]);
    }

    double outC = kCanary, outRaw = kCanary;
    if (kmm_raw_to_temperature(planck, scene, p.raw, &outC) != KMM_OK) check(outC == kCanary);
    if (kmm_temperature_to_raw(planck, scene, p.celsius, &outRaw) != KMM_OK)
        check(outRaw == kCanary);
    return 0;
}
