// getNewTemperature_dll through both paths: the no-change shortcuts, saturation at the
// tables' ends, the fire models' device emissivity, the compensation switch and the distance
// models at several distances (the fuzz target checks finiteness on hostile inputs).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "KModuleMeasure.h"
#include "temperature/distance_models.h"

namespace {

constexpr float kSentinel = -12345.0f;

struct Call { const char* model; float temp, oldE, newE, oldD, newD, oldR, newR; };

float correct(const Call& c, const DeviceCorrectionParam* record) {
    float result = kSentinel;
    getNewTemperature_dll(c.model, &result, c.temp, c.oldE, c.newE, c.oldD, c.newD, c.oldR, c.newR, record);
    return result;
}

// No scaling, unit emissivity, no compensation, no distance model: the record changes nothing.
DeviceCorrectionParam neutralRecord() {
    DeviceCorrectionParam r{};
    r.scaleSetting = 60, r.emissivity = 1.0f, r.reflectedTemp = 20.0f, r.compMode = 2;
    return r;
}

DeviceCorrectionParam busyRecord() {
    DeviceCorrectionParam r = neutralRecord();
    r.scaleSetting = 85, r.emissivity = 0.9f;
    r.compMode = 1, r.compTemp = 30.0f, r.compOffset = 150, r.compGain = 40;
    r.distLin = 10000000, r.distLinPerDist = 30000, r.distQuad = 200;
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
    const struct { Call call; const DeviceCorrectionParam* record; } rows[] = {
        // short range: equal emissivities and distances, reflected temperatures differ
        {{"DV03-W", 36.57f, 0.9f, 0.9f, 4.0f, 4.0f, 10.0f, 80.0f}, &busy},
        {{"DV09", -12.34f, 0.5f, 0.5f, 1.5f, 1.5f, 0.0f, 0.0f}, &busy},
        // full range: no distance model, equal emissivities and reflected; distances differ
        {{"DV19", 36.57f, 0.9f, 0.9f, 1.0f, 50.0f, 23.0f, 23.0f}, &noDistance},
        {{"DV39-W", 1234.56f, 0.7f, 0.7f, -1.0f, 3.0f, 5.0f, 5.0f}, &noDistance},
        // unlisted names, null record allowed
        {{"DV50-W", 77.77f, 0.2f, 0.9f, 1.0f, 9.0f, 0.0f, 50.0f}, nullptr},
        {{"", 77.77f, 0.2f, 0.9f, 1.0f, 9.0f, 0.0f, 50.0f}, nullptr},
        // not finite: handed back as it came
        {{"DV01", std::numeric_limits<float>::quiet_NaN(), 0.9f, 0.9f, 2.0f, 2.0f, 20.0f, 20.0f}, &busy},
        {{"XY99", -std::numeric_limits<float>::infinity(), 0.9f, 0.5f, 2.0f, 2.0f, 0.0f, 0.0f}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.call.model);
        EXPECT_EQ(bits(correct(row.call, row.record)), bits(row.call.temp));
    }
    EXPECT_EQ(correct({nullptr, 77.77f, 0.2f, 0.9f, 1.0f, 9.0f, 0.0f, 50.0f}, nullptr), kSentinel);
}

// Any one distance field of the record switches its distance model on, and with it the whole
// computation, even with emissivity, reflected temperature and distance unchanged: the
// device's scale and compensation (either mode) come out and go back in, and the temperature
// comes back (each table step truncates a tenth, magnified by 1 / emissivity).
TEST(TemperatureCorrection, AnyDistanceFieldRulesOutTheShortcut) {
    using Field = int32_t DeviceCorrectionParam::*;
    for (Field field : {&DeviceCorrectionParam::distQuadPerDist, &DeviceCorrectionParam::distQuad,
                        &DeviceCorrectionParam::distLinPerDist, &DeviceCorrectionParam::distLin,
                        &DeviceCorrectionParam::distConstPerDist, &DeviceCorrectionParam::distConst}) {
        for (int mode : {0, 1}) {
            DeviceCorrectionParam r = busyRecord();
            r.compMode = mode, r.distLin = r.distLinPerDist = r.distQuad = 0;
            r.*field = 1000;
            const float result = correct({"DV19", 36.57f, 0.9f, 0.9f, 2.0f, 2.0f, 20.0f, 20.0f}, &r);
            EXPECT_NE(bits(result), bits(36.57f));  // computed: whole tenths
            EXPECT_NEAR(result, 36.57f, 1.0f) << mode;
        }
    }
    // The busy record's scale (k = 0.995) taken out, and put back at the end: whole tenths.
    DeviceCorrectionParam busy = busyRecord();
    EXPECT_EQ(correct({"DV19", 36.57f, 0.9f, 0.8f, 2.0f, 2.0f, 20.0f, 20.0f}, &busy), 38.0f);
}

// Emissivity steps at their ends and the tables' bounds, through both paths.
TEST(TemperatureCorrection, EmissivityEndsAndTableBounds) {
    const DeviceCorrectionParam r = neutralRecord();
    const struct { Call call; float expected; } rows[] = {
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
        // A new emissivity below 0.01 gives the table maximum; 0.01 itself does not.
        {{"DV19", -40.0f, 0.95f, 0.01f, 1.5f, 1.5f, 20.0f, 20.0f}, -45.0f},
        {{"DV02", 36.5f, 0.95f, 0.005f, 1.5f, 1.5f, 20.0f, 20.0f}, 850.0f},
        {{"DV19", 36.5f, 0.95f, 0.005f, 1.5f, 1.5f, 20.0f, 20.0f}, 2100.0f},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.call.model) + " " + std::to_string(row.call.temp));
        EXPECT_NEAR(correct(row.call, &r), row.expected, 0.1f);
    }
}

// What moves the result: a lower emissivity raises the object temperature on both paths; the
// fire list takes the device emissivity as 1.0; compMode 0 and 1 compensate on the full-range
// path and nothing else does; on the short-range path 0 picks distance set 0, others set 1.
TEST(TemperatureCorrection, EmissivityFireListAndCompensationMode) {
    const DeviceCorrectionParam busy = busyRecord();
    for (const char* model : {"DV01", "DV06", "DV11", "DV17-W", "DV29S", "DV36"}) {
        EXPECT_GT(correct({model, 60.0f, 0.95f, 0.6f, 1.5f, 1.5f, 20.0f, 20.0f}, &busy), 65.0f) << model;
        EXPECT_LT(correct({model, 60.0f, 0.6f, 0.95f, 1.5f, 1.5f, 20.0f, 20.0f}, &busy), 58.0f) << model;
    }
    const auto with = [](int mode, float emissivity, bool coefficients = true) {
        DeviceCorrectionParam r = busyRecord();
        r.compMode = mode, r.emissivity = emissivity;
        if (!coefficients) r.compOffset = r.compGain = 0;
        return r;
    };
    const Call fire{"DV37-W", 300.0f, 0.9f, 0.7f, 1.5f, 1.5f, 20.0f, 20.0f};
    const Call standard{"DV24", 300.0f, 0.9f, 0.7f, 1.5f, 1.5f, 20.0f, 20.0f};
    const Call full{"DV12", 80.0f, 0.95f, 0.8f, 2.0f, 8.0f, 20.0f, 30.0f};
    const Call shortRange{"DV10", 80.0f, 0.95f, 0.95f, 1.5f, 6.0f, 20.0f, 20.0f};
    const struct { const Call* call; DeviceCorrectionParam a, b; bool equal; } rows[] = {
        {&fire, with(1, 0.6f), with(1, 1.0f), true},
        {&standard, with(1, 0.6f), with(1, 1.0f), false},
        {&full, with(2, 0.9f), with(2, 0.9f, false), true},
        {&full, with(-7, 0.9f), with(2, 0.9f, false), true},
        {&full, with(0, 0.9f), with(1, 0.9f), false},
        {&full, with(1, 0.9f), with(2, 0.9f), false},
        {&shortRange, with(2, 0.9f), with(1, 0.9f), true},  // mode 0's own set: DistanceModels
    };
    for (const auto& row : rows)
        EXPECT_EQ(bits(correct(*row.call, &row.a)) == bits(correct(*row.call, &row.b)), row.equal)
            << row.call->model << " modes " << row.a.compMode << ", " << row.b.compMode;
}

// The distance models against values worked out independently from their coefficients
// (single precision for the short-range model, double for the record's): what each model
// makes of 50 degC (or t) applied and removed at a few distances.
TEST(TemperatureCorrection, DistanceModelsAtSeveralDistances) {
    DeviceCorrectionParam record = neutralRecord();
    record.distQuadPerDist = 3000, record.distQuad = 200;
    record.distLinPerDist = -2000, record.distLin = 10000000;
    record.distConstPerDist = 500, record.distConst = -1000;
    DeviceCorrectionParam linear = neutralRecord();
    linear.distLin = 10000000, linear.distConst = 5000;  // 10 x + 5 at any distance: half a degree
    const struct {
        int model;  // short-range coefficient set 0 or 1; 2 the record above, 3 linear
        float distance, t, applied, removed;
    } rows[] = {
        {0, 0.5f, 50.0f, 48.8176804f, 51.2206306f}, {0, 5.0f, 50.0f, 53.2695312f, 47.0161743f},
        {0, 20.0f, 50.0f, 68.1090088f, 38.1213951f}, {0, 1.5f, 50.0f, 50.0f, 50.0f},
        {1, 0.5f, 50.0f, 48.4544296f, 51.5819206f}, {1, 5.0f, 50.0f, 53.6724167f, 46.6285477f},
        {1, 20.0f, 50.0f, 71.0657349f, 35.5644608f}, {1, 1.5f, -20.0f, -20.0f, -20.0f},
        {1, 2.022369384765625f, 50.0f, 50.2196991f, 49.7835672f},  // no square term left in single precision
        {2, 2.0f, 50.0f, 49.9354744f, 50.0645142f}, {2, 10.0f, 50.0f, 50.0690422f, 49.9309387f},
        {2, 50.0f, 50.0f, 50.736866f, 49.2629089f}, {2, 50.0f, 600.0f, 605.125305f, 594.956238f},
        {2, 0.0f, 50.0f, 49.9020996f, 50.0f},  // removing at 0 m or less is skipped
        {2, -3.0f, 50.0f, 49.8520012f, 50.0f}, {3, 30.0f, 50.0f, 50.5f, 49.5f},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "model " << r.model << " at " << r.distance);
        const DeviceCorrectionParam& rec = r.model == 3 ? linear : record;
        const float applied = r.model < 2 ? kmm::applyShortRangeDistance(r.t, r.distance, r.model)
                                          : kmm::RecordDistanceModel(rec).apply(r.t, r.distance);
        const float removed = r.model < 2 ? kmm::removeShortRangeDistance(r.t, r.distance, r.model)
                                          : kmm::RecordDistanceModel(rec).remove(r.t, r.distance);
        EXPECT_NEAR(applied, r.applied, 2e-5f * std::fabs(r.applied));
        EXPECT_NEAR(removed, r.removed, 2e-5f * std::fabs(r.removed));
    }
    for (int mode : {0, 1}) {  // through the export: compensation mode 0 takes set 0, any other set 1
        const DeviceCorrectionParam r = [&] { DeviceCorrectionParam n = neutralRecord(); n.compMode = mode; return n; }();
        EXPECT_NEAR(correct({"DV10", 50.0f, 1.0f, 1.0f, 1.5f, 20.0f, 20.0f, 20.0f}, &r), mode ? 71.066f : 68.109f, 0.2f);
    }
}

}  // namespace
