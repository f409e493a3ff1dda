// The kmm_ radiometry exports on arbitrary Planck constants, scenes, sizes, raw counts and
// temperatures: a refusal writes nothing, and the way back of a record returns every count
// whose temperature float tells apart from its neighbours'.
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

    // The way back of the same record returns each count whose temperature float resolves
    // from its neighbours' (more than four steps of float apart) unchanged.
    if (toCelsius == KMM_OK && toRaw == KMM_OK) {
        kmm_temperatures_to_raw_frame(planck, scene, temperatures.data(), width, height,
                                      back.data());
        std::vector<uint16_t> below(count), above(count);
        for (size_t i = 0; i < count; ++i) {
            below[i] = raw[i] ? uint16_t(raw[i] - 1) : raw[i];
            above[i] = raw[i] < 0xFFFF ? uint16_t(raw[i] + 1) : raw[i];
        }
        std::vector<float> low(count), high(count);
        kmm_raw_frame_to_temperatures(planck, scene, below.data(), width, height, low.data());
        kmm_raw_frame_to_temperatures(planck, scene, above.data(), width, height, high.data());
        for (size_t i = 0; i < count; ++i) {
            const float t = temperatures[i], step = 4 * (std::nextafter(t, HUGE_VALF) - t);
            const auto apart = [&](float n, bool same) { return same || std::fabs(n - t) > step; };
            if (std::isfinite(t) && std::isfinite(low[i]) && std::isfinite(high[i]) &&
                apart(low[i], below[i] == raw[i]) && apart(high[i], above[i] == raw[i]))
                check(back[i] == raw[i]);
        }
    }

    double outC = kCanary, outRaw = kCanary;
    if (kmm_raw_to_temperature(planck, scene, p.raw, &outC) != KMM_OK) check(outC == kCanary);
    if (kmm_temperature_to_raw(planck, scene, p.celsius, &outRaw) != KMM_OK)
        check(outRaw == kCanary);
    return 0;
}
