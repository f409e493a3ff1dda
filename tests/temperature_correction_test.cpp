// getNewTemperature_dll through both paths: the no-change shortcuts, saturation at the
// tables' ends, the fire models' device emissivity, the compensation and distance switches,
// and finiteness on hostile inputs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "KModuleMeasure.h"
#include "random.h"

namespace {

constexpr float kSentinel = -12345.0f;

struct Call {
    const char* model;
    float temp, oldE, newE, oldD, newD, oldR, newR;
};

float correct(const Call& c, const DeviceCorrectionParam* record) {
    float result = kSentinel;
    getNewTemperature_dll(c.model, &result, c.temp, c.oldE, c.newE, c.oldD, c.newD, c.oldR,
                          c.newR, record);
    return result;
}

// No scaling, unit emissivity, no compensation, no distance model: the record changes nothing.
DeviceCorrectionParam neutralRecord() {
    DeviceCorrectionParam r{};
    r.scaleSetting = 60;
    r.emissivity = 1.0f;
    r.reflectedTemp = 20.0f;
    r.compMode = 2;
    return r;
}

DeviceCorrectionParam busyRecord() {
    DeviceCorrectionParam r = neutralRecord();
    r.scaleSetting = 85;
    r.emissivity = 0.9f;
    r.compMode = 1;
    r.compTemp = 30.0f;
    r.compOffset = 150;
    r.compGain = 40;
    r.distLin = 10000000;
    r.distLinPerDist = 30000;
    r.distQuad = 200;
    return r;
}

uint32_t bits(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

// Unchanged conditions give the input back bit for bit, whatever else differs.
TEST(TemperatureCorrection, NoChangeShortcutsReturnTheInputBitForBit) {
    const DeviceCorrectionParam busy = busyRecord();
    DeviceCorrectionParam noDistance = busy;
    noDistance.distLin = noDistance.distLinPerDist = noDistance.distQuad = 0;
    const struct {
        Call call;
        const DeviceCorrectionParam* record;
    } rows[] = {
        // short range: equal emissivities and distances, reflected temperatures differ
        {{"DV03-W", 36.57f, 0.9f, 0.9f, 4.0f, 4.0f, 10.0f, 80.0f}, &busy},
        {{"DV09", -12.34f, 0.5f, 0.5f, 1.5f, 1.5f, 0.0f, 0.0f}, &busy},
        // full range: no distance model, equal emissivities and reflected; distances differ
        {{"DV19", 36.57f, 0.9f, 0.9f, 1.0f, 50.0f, 23.0f, 23.0f}, &noDistance},
        {{"DV39-W", 1234.56f, 0.7f, 0.7f, -1.0f, 3.0f, 5.0f, 5.0f}, &noDistance},
        // unlisted names, null record allowed
        {{"DV50-W", 77.77f, 0.2f, 0.9f, 1.0f, 9.0f, 0.0f, 50.0f}, nullptr},
        {{"", 77.77f, 0.2f, 0.9f, 1.0f, 9.0f, 0.0f, 50.0f}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.call.model);
        EXPECT_EQ(bits(correct(row.call, row.record)), bits(row.call.temp));
    }
}

TEST(TemperatureCorrection, BadPointersWriteNothing) {
    const DeviceCorrectionParam r = busyRecord();
    EXPECT_EQ(correct({"DV01", 30.0f, 0.9f, 0.5f, 1.5f, 1.5f, 20.0f, 20.0f}, nullptr), kSentinel);
    EXPECT_EQ(correct({"DV19", 30.0f, 0.9f, 0.5f, 1.5f, 1.5f, 20.0f, 20.0f}, nullptr), kSentinel);
    EXPECT_EQ(correct({nullptr, 30.0f, 0.9f, 0.5f, 1.5f, 1.5f, 20.0f, 20.0f}, &r), kSentinel);
    getNewTemperature_dll("DV19", nullptr, 30.0f, 0.9f, 0.5f, 1.5f, 1.5f, 20.0f, 20.0f, &r);
}

// Emissivity steps at their ends and the tables' bounds, through both paths.
TEST(TemperatureCorrection, EmissivityEndsAndTableBounds) {
    const DeviceCorrectionParam r = neutralRecord();
    const struct {
        Call call;
        float expected;
    } rows[] = {
        // 0.99 and 1.0 count as black bodies: the apparent temperature stays (to 0.1 degC).
        {{"DV01", 36.5f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 36.5f},
        {{"DV19", 36.5f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 36.5f},
        // Unit emissivity both ways: the reflected temperature has no weight.
        {{"DV19", 512.3f, 1.0f, 1.0f, 1.5f, 1.5f, 20.0f, 60.0f}, 512.3f},
        // At or beyond the table maxima the temperature saturates.
        {{"DV01", 850.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 850.0f},
        {{"DV01", 1900.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 850.0f},
        {{"DV19", 2100.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 2100.0f},
        {{"DV19", 3000.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, 2100.0f},
        // At or below -45 degC the signal position is 0, which reads back as -45.0.
        {{"DV01", -45.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, -45.0f},
        {{"DV19", -60.0f, 1.0f, 0.99f, 1.5f, 1.5f, 20.0f, 20.0f}, -45.0f},
        // A new emissivity below 0.01 gives the table maximum.
        {{"DV02", 36.5f, 0.95f, 0.005f, 1.5f, 1.5f, 20.0f, 20.0f}, 850.0f},
        {{"DV19", 36.5f, 0.95f, 0.005f, 1.5f, 1.5f, 20.0f, 20.0f}, 2100.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.call.model) + " " + std::to_string(row.call.temp));
        EXPECT_NEAR(correct(row.call, &r), row.expected, 0.1f);
    }
}

TEST(TemperatureCorrection, LowerEmissivityRaisesTheObjectTemperature) {
    const DeviceCorrectionParam r = busyRecord();
    for (const char* model : {"DV01", "DV06", "DV11", "DV17-W", "DV29S", "DV36"}) {
        SCOPED_TRACE(model);
        const float lower = correct({model, 60.0f, 0.95f, 0.6f, 1.5f, 1.5f, 20.0f, 20.0f}, &r);
        const float higher = correct({model, 60.0f, 0.6f, 0.95f, 1.5f, 1.5f, 20.0f, 20.0f}, &r);
        EXPECT_GT(lower, 65.0f);
        EXPECT_LT(higher, 58.0f);
    }
}

// Fire models take the device emissivity as 1.0; other full-range models use it.
TEST(TemperatureCorrection, FireModelsIgnoreTheDeviceEmissivity) {
    DeviceCorrectionParam a = busyRecord();
    DeviceCorrectionParam b = busyRecord();
    a.emissivity = 0.6f;
    b.emissivity = 1.0f;
    const Call fire{"DV37-W", 300.0f, 0.9f, 0.7f, 1.5f, 1.5f, 20.0f, 20.0f};
    const Call standard{"DV24", 300.0f, 0.9f, 0.7f, 1.5f, 1.5f, 20.0f, 20.0f};
    EXPECT_EQ(bits(correct(fire, &a)), bits(correct(fire, &b)));
    EXPECT_NE(correct(standard, &a), correct(standard, &b));
}

// compMode: 0 and 1 compensate in the full-range path, anything else does not; in the
// short-range path 0 picks distance set 0 and anything else set 1.
TEST(TemperatureCorrection, CompensationModeSwitches) {
    auto withMode = [](int mode) {
        DeviceCorrectionParam r = busyRecord();
        r.compMode = mode;
        return r;
    };
    auto withoutCoefficients = [](int mode) {
        DeviceCorrectionParam r = busyRecord();
        r.compMode = mode;
        r.compOffset = r.compGain = 0;
        return r;
    };
    const Call full{"DV12", 80.0f, 0.95f, 0.8f, 2.0f, 8.0f, 20.0f, 30.0f};
    const DeviceCorrectionParam m0 = withMode(0), m1 = withMode(1), m2 = withMode(2),
                                m7 = withMode(-7), plain = withoutCoefficients(2);
    EXPECT_EQ(correct(full, &m2), correct(full, &plain));
    EXPECT_EQ(correct(full, &m7), correct(full, &plain));
    EXPECT_NE(correct(full, &m0), correct(full, &m1));
    EXPECT_NE(correct(full, &m1), correct(full, &m2));

    const Call shortRange{"DV10", 80.0f, 0.95f, 0.95f, 1.5f, 6.0f, 20.0f, 20.0f};
    EXPECT_EQ(correct(shortRange, &m2), correct(shortRange, &m1));
    EXPECT_NE(correct(shortRange, &m0), correct(shortRange, &m1));
}

TEST(TemperatureCorrection, DistanceSteps) {
    const DeviceCorrectionParam r = busyRecord();
    // Full range: an old distance of 0 or below skips the remove step; the apply step acts.
    const Call zero{"DV13", 50.0f, 0.95f, 0.95f, 0.0f, 10.0f, 20.0f, 20.0f};
    Call negative = zero;
    negative.oldD = -3.0f;
    Call none = zero;
    none.newD = 0.0f;
    EXPECT_EQ(bits(correct(zero, &r)), bits(correct(negative, &r)));
    EXPECT_NE(correct(zero, &r), correct(none, &r));
    // Short range: at 1.5 m both directions are neutral, so only the emissivity acts.
    const Call emissivityOnly{"DV04", 50.0f, 0.95f, 0.8f, 1.5f, 1.5f, 20.0f, 20.0f};
    Call viaDistance = emissivityOnly;
    viaDistance.newD = 7.0f;
    EXPECT_GT(correct(emissivityOnly, &r), 50.0f);
    EXPECT_NE(correct(emissivityOnly, &r), correct(viaDistance, &r));
    // The linear-only record model with L = 10 and no constant is the identity.
    DeviceCorrectionParam identity = neutralRecord();
    identity.distLin = 10000000;
    const Call far{"DV19", 50.0f, 0.95f, 0.95f, 3.0f, 30.0f, 20.0f, 20.0f};
    EXPECT_NEAR(correct(far, &identity), 50.0f, 0.1f);
}

// Hostile inputs (zero scale factor, zero compensation denominator, negative discriminants,
// NaN and huge temperatures) always give a finite number and never undefined behaviour.
TEST(TemperatureCorrection, EveryInputGivesAFiniteResult) {
    kmm::scenes::SplitMix64 rng(2024);
    const float specials[] = {0.0f, -0.0f, 1.5f, 1e30f, -1e30f,
                              std::numeric_limits<float>::infinity(),
                              std::numeric_limits<float>::quiet_NaN()};
    auto pick = [&](float lo, float hi) {
        if (rng.next() % 4 == 0) return specials[rng.next() % std::size(specials)];
        return float(lo + (hi - lo) * rng.uniform());
    };
    auto pickInt = [&](int32_t lo, int32_t hi) {
        if (rng.next() % 6 == 0) return int32_t(rng.next());
        return int32_t(lo + int64_t(rng.next() % uint64_t(int64_t(hi) - lo + 1)));
    };
    for (int i = 0; i < 20000; ++i) {
        DeviceCorrectionParam r{};
        r.scaleSetting = (i % 50 == 0) ? 5060 : pickInt(0, 200);
        r.emissivity = pick(0.0f, 1.2f);
        r.reflectedTemp = pick(-60.0f, 300.0f);
        r.compTemp = pick(-40.0f, 80.0f);
        r.compMode = pickInt(-1, 2);
        r.compOffset = pickInt(-20000, 20000);
        r.compGain = pickInt(-20000, 20000);
        r.distQuadPerDist = pickInt(-100000, 100000);
        r.distQuad = pickInt(-100000, 100000);
        r.distLinPerDist = pickInt(-1000000, 1000000);
        r.distLin = pickInt(-20000000, 20000000);
        r.distConstPerDist = pickInt(-100000, 100000);
        r.distConst = pickInt(-100000, 100000);
        const char* model = (i % 3 == 0) ? "DV05" : (i % 3 == 1 ? "DV22S" : "DV38");
        const Call c{model,           pick(-100.0f, 2500.0f), pick(0.0f, 1.0f),
                     pick(0.0f, 1.0f), pick(-5.0f, 100.0f),    pick(-5.0f, 100.0f),
                     pick(-60.0f, 300.0f), pick(-60.0f, 300.0f)};
        const float result = correct(c, &r);
        if (std::isnan(c.temp) && result != result) continue;  // no-change shortcut hands NaN back
        ASSERT_TRUE(std::isfinite(result) || !std::isfinite(c.temp)) << "case " << i;
    }
}

}  // namespace
