// Raw counts to temperatures and back: the aerial camera's published check, the direction each
// correction moves a reading, round trips over whole count and temperature ranges (extremes
// finite or NaN as documented), the fast frame paths against their references, and refusals
// that write nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <vector>

#include "KModuleMeasureRadiometry.h"
#include "guarded_buffer.h"
#include "radiometry/atmospheric_transmission.h"
#include "radiometry/raw_to_temperature.h"
#include "radiometry/temperature_to_raw.h"
#include "random.h"
#include "real_frames.h"

namespace kmm {
namespace {

using Scene = kmm_radiometric_scene;
constexpr kmm_planck_constants kAerial{364058.0, 1.0, 1428.0, 1.0, -228.0};
// A high-range camera whose 1500 degC still fits 16 bits, and two with F off 1.
constexpr kmm_planck_constants kConstants[] = {
    kAerial, {16000.0, 0.25, 1600.0, 1.0, -500.0}, {364058.0, 1.0, 1428.0, 0.5, 100.0},
    {90000.0, 2.0, 1500.0, 1.5, -40.0}};

Scene sceneWith(const std::function<void(Scene&)>& change = {}) {
    Scene s;
    kmm_radiometric_scene_defaults(&s);
    if (change) change(s);
    return s;
}

// The aerial frame's recorded scene.
void recorded(Scene& s) {
    s.emissivity = 0.94, s.distance_m = 50.0, s.humidity_percent = 30.0;
    s.reflected_celsius = s.atmosphere_celsius = 20.0;
}
void harsh(Scene& s) {
    s.emissivity = 0.01, s.distance_m = 10000.0, s.window_transmission = 0.5;
}

std::vector<float> temperatures(const std::vector<uint16_t>& raw, const Scene& scene) {
    std::vector<float> t(raw.size());
    EXPECT_EQ(kmm_raw_frame_to_temperatures(&kAerial, &scene, raw.data(), int32_t(raw.size()), 1,
                                            t.data()), KMM_OK);
    return t;
}

double median(std::vector<float> v) {
    std::nth_element(v.begin(), v.begin() + ptrdiff_t(v.size() / 2), v.end());
    return v[v.size() / 2];
}

TEST(Radiometry, AerialFrameReadsItsPublishedTemperatureAndCorrectionsMoveItAsPhysicsSays) {
    const auto frames = readRawFrames(std::filesystem::path(KMM_FRAMES_DIR) / "aerial_640x512.u16le.raw");
    ASSERT_EQ(frames.size(), 1u);
    const double plain = median(temperatures(frames[0], sceneWith()));
    EXPECT_NEAR(plain, 12.48, 0.005);
    // The object (12.5 degC) against warmer or colder surroundings, air and window.
    const struct {
        const char* what;
        std::function<void(Scene&)> change;
        int direction;
    } rows[] = {
        {"recorded scene", recorded, -1},
        {"emissivity, warm surroundings", [](Scene& s) { s.emissivity = 0.9; }, -1},
        {"emissivity, cold sky", [](Scene& s) { s.emissivity = 0.9, s.reflected_celsius = -30; }, 1},
        {"black body ignores surroundings", [](Scene& s) { s.reflected_celsius = -30; }, 0},
        {"warm air", [](Scene& s) { s.distance_m = 300, s.atmosphere_celsius = 30; }, -1},
        {"cold air", [](Scene& s) { s.distance_m = 300, s.atmosphere_celsius = -10; }, 1},
        {"no path ignores air", [](Scene& s) { s.atmosphere_celsius = -10; }, 0},
        {"warm window", [](Scene& s) { s.window_transmission = 0.8, s.window_celsius = 40; }, -1},
        {"cold window", [](Scene& s) { s.window_transmission = 0.8, s.window_celsius = 0; }, 1},
        {"no window ignores it", [](Scene& s) { s.window_celsius = 0; }, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const double moved = median(temperatures(frames[0], sceneWith(row.change))) - plain;
        EXPECT_EQ((moved > 1e-4) - (moved < -1e-4), row.direction) << moved;
    }
}

TEST(Radiometry, TransmissionFollowsTheTwoBandModel) {
    const struct { double distance, humidity, air, expected;
         } rows[] = {{0, 90, 30, 1.0}, {50, 30, 20, 0.96511}, {500, 50, -10, 0.93597},
                {1000, 80, 35, 0.33730}, {10000, 50, 20, 0.12326}};
    for (const auto& r : rows) {
        const Scene s = sceneWith([&](Scene& s) {
            s.distance_m = r.distance, s.humidity_percent = r.humidity, s.atmosphere_celsius = r.air;
        });
        EXPECT_NEAR(atmosphericTransmission(s), r.expected, 5e-6) << r.distance;
    }
}

// An object at the temperature of everything around it reads that temperature through any
// emissivity, air and window: the weights of the radiance path sum to one.
TEST(Radiometry, IsothermalSceneReadsItsTemperatureAndValuesRoundTrip) {
    const Scene plain = sceneWith();
    for (const auto& planck : kConstants) {
        for (const auto& change : {std::function<void(Scene&)>{}, std::function(recorded), std::function(harsh)}) {
            const Scene scene = sceneWith(change);
            double previous = -HUGE_VAL;
            for (double t = -40.0; t <= 1500.0; t += 7.7) {
                double raw = 0, back = 0;
                ASSERT_EQ(kmm_temperature_to_raw(&planck, &scene, t, &raw), KMM_OK);
                ASSERT_EQ(kmm_raw_to_temperature(&planck, &scene, raw, &back), KMM_OK);
                EXPECT_NEAR(back, t, 0.01) << planck.r1 << " at " << t;
                EXPECT_GT(raw, previous);
                previous = raw;
                // Dry air up to 100 degC: humid air over kilometres transmits nothing, and
                // the vapour fit does not reach furnace air.
                if (t > 100.0) continue;
                const Scene around = sceneWith([&](Scene& s) {
                    if (change) change(s);
                    s.reflected_celsius = s.atmosphere_celsius = s.window_celsius = t;
                    s.humidity_percent = 0;
                });
                double aroundRaw = 0, plainRaw = 0;
                kmm_temperature_to_raw(&planck, &plain, t, &plainRaw);
                ASSERT_EQ(kmm_temperature_to_raw(&planck, &around, t, &aroundRaw), KMM_OK);
                EXPECT_NEAR(aroundRaw, plainRaw, 1e-9 * plainRaw) << t;
            }
        }
    }
}

// Every count to a temperature and back: increasing where finite, NaN only at the ends, each
// finite one back to its count; the fast paths equal their references.
TEST(Radiometry, EveryCountRoundTripsAndFastPathsMatchReferences) {
    std::vector<uint16_t> counts(65536);
    for (size_t i = 0; i < counts.size(); ++i) counts[i] = uint16_t(i);
    for (const auto& planck : kConstants) {
        for (const auto& change : {std::function<void(Scene&)>{}, std::function(harsh)}) {
            // F > 1 at a tiny gain crowds counts against the pole closer than float resolves.
            if (change && planck.f > 1.0) continue;
            RawResponse response;
            ASSERT_EQ(makeRawResponse(planck, sceneWith(change), response), KMM_OK);
            std::vector<float> t(counts.size()), tRef(counts.size());
            rawFrameToCelsius(response, counts.data(), 65536, t.data());
            rawFrameToCelsiusReference(response, counts.data(), 65536, tRef.data());
            ASSERT_EQ(0, std::memcmp(t.data(), tRef.data(), t.size() * sizeof(float)));
            std::vector<uint16_t> back(counts.size()), backRef(counts.size());
            celsiusFrameToRaw(response, t.data(), 65536, back.data());
            celsiusFrameToRawReference(response, t.data(), 65536, backRef.data());
            ASSERT_EQ(back, backRef);
            const auto finiteBegin = std::find_if(t.begin(), t.end(), [](float v) { return v == v; });
            const auto finiteEnd = std::find_if(finiteBegin, t.end(), [](float v) { return v != v; });
            EXPECT_TRUE(std::all_of(finiteEnd, t.end(), [](float v) { return v != v; }));
            ASSERT_GT(finiteEnd - finiteBegin, 400);  // F < 1 at low gain: few counts reach
            // With nothing around the object, count -O carries no radiance: absolute zero.
            if (!change && planck.o <= 0) { EXPECT_NE(t[size_t(-planck.o)], t[size_t(-planck.o)]); }
            // Without a pole every count up to 65535 has a temperature, at emissivity 0.01
            // through 10 km of air and a window too.
            if (planck.f == 1.0) { EXPECT_EQ(finiteEnd, t.end()); }
            for (auto it = finiteBegin; it != finiteEnd; ++it) {
                const size_t k = size_t(it - t.begin());
                ASSERT_EQ(back[k], k) << planck.r1 << " at " << *it;
                if (it != finiteBegin) { ASSERT_GT(*it, *(it - 1)); }
            }
        }
    }
}

// Odd frames of random counts and temperatures (specials included) through the fast paths
// and their references, canaries around every output; each temperature's count is the one
// nearest its unrounded raw value.
TEST(Radiometry, FramesMatchReferencesAndRoundToTheNearestCount) {
    scenes::SplitMix64 random(0x7ADu);
    const Scene scene = sceneWith(recorded);
    RawResponse response;
    ASSERT_EQ(makeRawResponse(kAerial, scene, response), KMM_OK);
    const float specials[] = {NAN, INFINITY, -INFINITY, -273.15f, -300.0f, 1e30f, -1e30f, 1e6f};
    // The last: a hot scene with no special value, so its thresholds fill the buckets.
    for (const auto& [w, h, from, span, specialShare] : std::vector<std::tuple<int, int, double, double, double>>{
             {1, 1, -60, 1700, 0.02}, {3, 1, -60, 1700, 0.02}, {17, 5, -60, 1700, 0.02},
             {641, 513, -60, 1700, 0.02}, {64, 33, 200, 60, 0}}) {
        const size_t n = size_t(w) * size_t(h);
        const int spread = w * h > 100 ? 200 : 65536;
        std::vector<uint16_t> raw(n);
        std::vector<float> t(n);
        for (size_t i = 0; i < n; ++i) {
            raw[i] = uint16_t(spread == 65536 ? random.next() : 2600 + random.next() % 200);
            t[i] = random.uniform() < specialShare ? specials[random.next() % 8]
                                                    : float(from + span * random.uniform());
        }
        GuardedBuffer<float> temps(n), tempsRef(n);
        rawFrameToCelsius(response, raw.data(), int32_t(n), temps.data());
        rawFrameToCelsiusReference(response, raw.data(), int32_t(n), tempsRef.data());
        EXPECT_EQ(0, std::memcmp(temps.data(), tempsRef.data(), n * sizeof(float)));
        GuardedBuffer<uint16_t> counts(n), countsRef(n);
        celsiusFrameToRaw(response, t.data(), int32_t(n), counts.data());
        celsiusFrameToRawReference(response, t.data(), int32_t(n), countsRef.data());
        EXPECT_EQ(counts.contents(), countsRef.contents());
        for (size_t i = 0; i < n; ++i) {
            const double exact = t[i] != t[i] ? 0.0 : rawOfCelsius(response, t[i]);
            EXPECT_NEAR(counts[i], std::clamp(exact, 0.0, 65535.0), 0.51) << t[i];
        }
    }
}

// Near the pole of F > 1 at a tiny gain many counts share one float temperature: buckets hold
// runs of equal thresholds, and a matrix may span nothing but one such run.
TEST(Radiometry, CrowdedThresholdsNearThePoleMatchTheReference) {
    RawResponse response;
    ASSERT_EQ(makeRawResponse(kConstants[3], sceneWith(harsh), response), KMM_OK);
    int32_t k = 30000;
    while (k < 65534 && countThreshold(response, k) != countThreshold(response, k + 1)) ++k;
    ASSERT_LT(k, 65534);
    const float run = countThreshold(response, k);
    std::vector<float> t = {std::nextafter(run, -HUGE_VALF), run};
    scenes::SplitMix64 random(3);
    for (int i = 0; i < 20000; ++i) t.push_back(run - 40.0f + 50.0f * float(random.uniform()));
    for (size_t n : {size_t(2), t.size()}) {
        std::vector<uint16_t> fast(n), reference(n);
        celsiusFrameToRaw(response, t.data(), int32_t(n), fast.data());
        celsiusFrameToRawReference(response, t.data(), int32_t(n), reference.data());
        EXPECT_EQ(fast, reference) << n;
    }
}

TEST(Radiometry, RefusalsWriteNothing) {
    using Planck = kmm_planck_constants;
#define KMM_SPOIL(what, ...) {what, []([[maybe_unused]] Planck& p, [[maybe_unused]] Scene& s) { __VA_ARGS__; }}
    const struct { const char* what; std::function<void(Planck&, Scene&)> spoil; } rows[] = {
        KMM_SPOIL("R1 0", p.r1 = 0), KMM_SPOIL("R2 0", p.r2 = 0), KMM_SPOIL("B 0", p.b = 0, p.f = 0.5), KMM_SPOIL("F NaN", p.f = NAN),
        KMM_SPOIL("O infinite", p.o = INFINITY), KMM_SPOIL("emissivity 0", s.emissivity = 0),
        KMM_SPOIL("emissivity above 1", s.emissivity = 1.001),
        KMM_SPOIL("reflected at absolute zero", s.reflected_celsius = -273.15),
        KMM_SPOIL("atmosphere NaN", s.atmosphere_celsius = NAN),
        KMM_SPOIL("distance negative", s.distance_m = -1),
        KMM_SPOIL("humidity above 100", s.humidity_percent = 101),
        KMM_SPOIL("window transmission 0", s.window_transmission = 0),
        KMM_SPOIL("model constant NaN", s.atm_beta2 = NAN),
        // Over 5 m it would only clear one band, leaving a finite transmission.
        KMM_SPOIL("model constant infinite", s.atm_alpha2 = INFINITY, s.distance_m = 5),
        KMM_SPOIL("no transmission left", s.distance_m = 10000, s.humidity_percent = 100, s.atmosphere_celsius = 30),
        KMM_SPOIL("transmission exactly 0", s.distance_m = 1e30, s.humidity_percent = 0),
        KMM_SPOIL("background past the pole", p.f = 1.5, s.emissivity = 0.5, s.reflected_celsius = 5000),
    };
#undef KMM_SPOIL
    const uint16_t raw[4] = {2600, 2700, 2800, 2900};
    const float celsius[4] = {0, 10, 20, 30};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        Planck planck = kAerial;
        Scene scene = sceneWith();
        row.spoil(planck, scene);
        GuardedBuffer<float> t(4, -7.0f);
        GuardedBuffer<uint16_t> r(4, 7);
        double value = -7.0;
        EXPECT_EQ(kmm_raw_frame_to_temperatures(&planck, &scene, raw, 2, 2, t.data()), KMM_ERROR_BAD_VALUE);
        EXPECT_EQ(kmm_temperatures_to_raw_frame(&planck, &scene, celsius, 2, 2, r.data()), KMM_ERROR_BAD_VALUE);
        EXPECT_EQ(kmm_raw_to_temperature(&planck, &scene, 2700, &value), KMM_ERROR_BAD_VALUE);
        EXPECT_EQ(kmm_temperature_to_raw(&planck, &scene, 20, &value), KMM_ERROR_BAD_VALUE);
        EXPECT_EQ(t.contents(), std::vector<float>(4, -7.0f));
        EXPECT_EQ(r.contents(), std::vector<uint16_t>(4, 7));
        EXPECT_EQ(value, -7.0);
    }
    // Pointers, sizes and non-finite single values.
    const Scene scene = sceneWith();
    float t = -7.0f;
    uint16_t r = 7;
    double value = -7.0;
    EXPECT_EQ(kmm_radiometric_scene_defaults(nullptr), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_raw_frame_to_temperatures(nullptr, &scene, raw, 1, 1, &t), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_temperatures_to_raw_frame(&kAerial, &scene, nullptr, 1, 1, &r), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_temperatures_to_raw_frame(&kAerial, nullptr, celsius, 1, 1, &r), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_raw_to_temperature(&kAerial, &scene, 2700, nullptr), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_temperature_to_raw(&kAerial, nullptr, 20, &value), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_raw_frame_to_temperatures(&kAerial, &scene, raw, 0, 1, &t), KMM_ERROR_BAD_SIZE);
    EXPECT_EQ(kmm_temperatures_to_raw_frame(&kAerial, &scene, celsius, 1, -1, &r), KMM_ERROR_BAD_SIZE);
    EXPECT_EQ(kmm_temperatures_to_raw_frame(&kAerial, &scene, celsius, 65536, 65536, &r), KMM_ERROR_BAD_SIZE);
    EXPECT_EQ(kmm_raw_to_temperature(&kAerial, &scene, NAN, &value), KMM_ERROR_BAD_VALUE);
    EXPECT_EQ(kmm_temperature_to_raw(&kAerial, &scene, INFINITY, &value), KMM_ERROR_BAD_VALUE);
    EXPECT_EQ(t, -7.0f);
    EXPECT_EQ(r, 7);
    EXPECT_EQ(value, -7.0);
}

}  // namespace
}  // namespace kmm
