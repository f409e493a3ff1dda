// High and low range temperatures through the export: records as raw bytes, the blend of the
// four curves along both axes, the type-2 slope blend on the first curve evaluated, the
// emissivity and transmission corrections.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "calibration_fixture.h"

namespace kmm {
namespace {

// Curves of 200 entries rising by 1 from 1000 (curves 0, 1) and 950 (curves 2, 3), read with
// the offset index off the curve (base 0) and offset1 = 100: y16 1099 gives T0 = 10,
// T1 = 110, T2 = 15, T3 = 115 from a start of 0 degC.
const std::vector<uint16_t> kBlock = test::rampBlock(200, {1000, 1000, 950, 950}, 1);

MeasureState blendState() {
    MeasureState s = test::plainState();
    s.curveRefTemp = s.curveRefTempAlt = -100.0f;
    s.offset1 = 100.0f;
    s.segmentIndex = 1;
    s.segmentKey = 12.5f;  // a quarter of the way from 10 to 20
    s.settingKey = 1.0f;   // a quarter of the way from 0 to 4
    return s;
}

ParaConfig blendConfig() {
    ParaConfig c = test::plainConfig();
    c.curveStartTemp = 0.0f;
    c.breakpointCount = 2;
    c.breakpoints[0] = 10.0f, c.breakpoints[1] = 20.0f;
    c.settingLow = 0.0f, c.settingHigh = 4.0f;
    return c;
}

float high(uint16_t y16, const MeasureState& s, const ParaConfig& c, int32_t type = 0,
           const std::vector<uint16_t>& block = kBlock) {
    return GetHighTemperature_dll(y16, block.data(), int32_t(block.size() / 4), nullptr,
                                  TempCalcInfo{}, s, c, type);
}

template <typename T>
void put(uint8_t* bytes, size_t offset, T value) {
    std::memcpy(bytes + offset, &value, sizeof value);  // the test host is little-endian
}

TEST(CalibrationRange, RecordsBuiltFromBytesAtTheirOffsets) {
    uint8_t state[152] = {}, config[92] = {};
    put(state, 12, int32_t(1));      // twoAxisMode
    put(state, 44, -100.0f);         // curveRefTempAlt
    put(state, 48, -100.0f);         // curveRefTemp
    put(state, 64, 12.5f);           // segmentKey
    put(state, 76, 1.0f);            // gain0
    put(state, 84, 1.0f);            // gain1
    put(state, 88, 100.0f);          // offset1
    put(state, 120, uint8_t(1));     // segmentIndex
    put(state, 124, 1.0f);           // settingKey
    put(config, 0, uint8_t(2));      // breakpointCount
    put(config, 4, 10.0f);           // breakpoints
    put(config, 8, 20.0f);
    put(config, 48, 0.0f);           // settingLow
    put(config, 52, 4.0f);           // settingHigh
    put(config, 64, 1.0f);           // emissivity
    put(config, 68, 1.0f);           // transmission
    put(config, 76, 0.0f);           // curveStartTemp
    MeasureState s;
    ParaConfig c;
    std::memcpy(&s, state, sizeof s);
    std::memcpy(&c, config, sizeof c);
    // (0.25 x 115 + 0.75 x 110) x 0.25 + (0.25 x 15 + 0.75 x 10) x 0.75
    EXPECT_EQ(high(1099, s, c), 36.25f);
}

struct BlendCase {
    const char* name;
    uint8_t segmentIndex, count;
    int32_t twoAxisMode;
    float settingKey;
    float expected;
    float b0 = 10.0f, b1 = 20.0f;  // the breakpoints around the segment
};

TEST(CalibrationRange, BlendAlongBothAxes) {
    const BlendCase cases[] = {
        {"index 0, count 0: curve 2 only", 0, 0, 0, 1.0f, 15.0f},
        {"index 0, both axes: curves 2 and 3", 0, 2, 1, 1.0f, 40.0f},
        {"index = count: curve 0 only", 2, 2, 0, 1.0f, 10.0f},
        {"index = count, both axes: curves 0 and 1", 2, 2, 1, 1.0f, 35.0f},
        {"between, first axis", 1, 2, 0, 1.0f, 11.25f},
        {"between, both axes", 1, 2, 1, 1.0f, 36.25f},
        {"two-axis mode 2 is mode 0", 1, 2, 2, 1.0f, 11.25f},
        {"setting key at the low end", 1, 2, 1, 0.0f, 11.25f},
        {"setting key above the high end", 1, 2, 1, 9.0f, 111.25f},
        {"equal breakpoints: half and half", 1, 2, 0, 1.0f, 12.5f, 10.0f, 10.0f},
        {"index above the count: curve 0 only", 5, 2, 0, 1.0f, 10.0f},
        {"count above 10, index 11: curve 0 only", 11, 12, 0, 1.0f, 10.0f},
        {"count above 10, index 9: between", 9, 12, 0, 1.0f, 11.25f},
    };
    for (const BlendCase& b : cases) {
        SCOPED_TRACE(b.name);
        MeasureState s = blendState();
        s.segmentIndex = b.segmentIndex;
        s.twoAxisMode = b.twoAxisMode;
        s.settingKey = b.settingKey;
        ParaConfig c = blendConfig();
        c.breakpointCount = b.count;
        const int lower = b.segmentIndex > 0 && b.segmentIndex <= 10 ? b.segmentIndex - 1 : 0;
        c.breakpoints[lower] = b.b0;
        if (lower + 1 < 10) c.breakpoints[lower + 1] = b.b1;
        EXPECT_EQ(high(1099, s, c), b.expected);
    }
}

TEST(CalibrationRange, RawValueIsSignedAndRangeFieldsDecide) {
    MeasureState s = test::plainState();
    s.curveRefTemp = -100.0f;  // base 0: the value itself is looked up
    s.segmentIndex = 0;
    ParaConfig c = test::plainConfig();
    c.curveStartTemp = 0.0f;
    // 65535 is -1, below every curve; read unsigned it would be past the end (20.0).
    EXPECT_EQ(high(65535, s, c), 0.0f);
    EXPECT_EQ(high(32768, s, c), 0.0f);
    s.ambientEnable = 1;
    s.ambientBaseTemp = -101.0f;  // one degree: +coef
    s.ambientCoefHigh = 10.0f, s.ambientCoefLow = 20.0f;
    const auto low = [&](uint16_t y16) {
        return GetLowTemperature_dll(y16, kBlock.data(), 200, nullptr, TempCalcInfo{}, s, c, 0);
    };
    EXPECT_EQ(high(1000, s, c), 6.1f);  // curve 2: 1010 is entry 60
    EXPECT_EQ(low(1000), 7.1f);
}

// Type 2 with an estimate of 20 (clamped to 12 = 1.5 x 8) and the blend on: the first curve
// evaluated uses 0.4 x 8 + 0.6 x 12 (high) or 0.2 x 8 + 0.8 x 12 (low); the curve after it in
// the same call the clamped estimate. y16 100 less 5 x slope on a unit ramp from 20 degC.
TEST(CalibrationRange, TypeTwoBlendsTheFirstEvaluatedCurveOnly) {
    const auto block = test::rampBlock(200, {1000, 1000, 1000, 1000}, 1);
    struct Case {
        const char* name;
        uint8_t segmentIndex;
        float settingKey;  // 0: the first curve of the pair, 9: the second
        int32_t blendDone;
        bool high;
        float expected;
    };
    const Case cases[] = {
        {"index 0, curve 2 (first): blended", 0, 0.0f, 0, true, 24.8f},
        {"index 0, curve 3 (second): estimate", 0, 9.0f, 0, true, 24.1f},
        {"index = count, curve 0 (first): blended", 2, 0.0f, 0, true, 24.8f},
        {"index = count, curve 1 (second): estimate", 2, 9.0f, 0, true, 24.1f},
        {"blend already done by the host", 0, 0.0f, 1, true, 24.1f},
        {"low range blends 0.2 / 0.8 in float", 0, 0.0f, 0, false, 24.4f},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        MeasureState s = test::plainState();
        s.twoAxisMode = 1;
        s.segmentIndex = k.segmentIndex;
        s.settingKey = k.settingKey;
        s.driftEnable = 1;
        s.driftSlopeMode = 1;
        s.driftBlendDone = k.blendDone;
        s.driftY16Prev = 100, s.driftY16Last = 200;
        s.driftTempPrev = 25.0f, s.driftTempLast = 30.0f, s.driftTempNow = 35.0f;
        s.driftSlopeRefHigh = s.driftSlopeRefLow = 8.0f;
        ParaConfig c = test::plainConfig();
        c.breakpointCount = 2;
        c.settingLow = 1.0f, c.settingHigh = 2.0f;
        const float t = k.high ? GetHighTemperature_dll(100, block.data(), 200, nullptr,
                                                        TempCalcInfo{}, s, c, 2)
                               : GetLowTemperature_dll(100, block.data(), 200, nullptr,
                                                       TempCalcInfo{}, s, c, 2);
        EXPECT_EQ(t, k.expected);
    }
}

// An apparent 50.0 degC (curve 2 alone, from a start of 40 degC) through the corrections.
float corrected(int32_t type, float emissivity, float reflected, float transmission = 1.0f,
                int32_t emissivityEnable = 1, int32_t transmissionEnable = 1) {
    MeasureState s = test::plainState();
    s.curveRefTemp = s.curveRefTempAlt = -100.0f;
    s.emissivityEnable = emissivityEnable;
    s.transmissionEnable = transmissionEnable;
    ParaConfig c = test::plainConfig();
    c.curveStartTemp = 40.0f;
    c.emissivity = emissivity;
    c.reflectedTemp = reflected;
    c.transmission = transmission;
    return high(1049, s, c, type);  // 950 + 99: entry 100
}

TEST(CalibrationRange, EmissivityCorrectionByVariant) {
    for (int32_t type = 0; type <= 3; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(corrected(type, 1.0f, 20.0f), 50.0f);
        EXPECT_EQ(corrected(type, 0.99f, 20.0f), 50.0f) << "0.99 counts as a black body";
        EXPECT_EQ(corrected(type, 0.85f, 20.0f, 1.0f, 0), 50.0f) << "disabled";
        // A grey body at 50 degC against a cooler surrounding looks colder than it is.
        const float at95 = corrected(type, 0.95f, 20.0f);
        const float at85 = corrected(type, 0.85f, 20.0f);
        EXPECT_GT(at95, 50.0f);
        EXPECT_GT(at85, at95);
        if (type == 2) {
            // The signal table works in tenths: the result is a whole number of tenths.
            EXPECT_NEAR(at95 * 10.0f, std::round(at95 * 10.0f), 1e-3f);
            EXPECT_NE(corrected(type, 0.95f, 40.0f), at95);
        } else {
            // Polynomial: 1.744737 - 0.750542 e, 0.0001988507 e - 0.0001762534 and
            // 4.750041 - 4.247635 e at T = 50; the reflected term only from e = 0.9 on.
            EXPECT_NEAR(at85, 56.46029f, 1e-4f);
            EXPECT_EQ(corrected(type, 0.85f, 40.0f), at85);
            const float term = (1.0f - 0.95f) / 0.95f;
            EXPECT_NEAR(at95 - corrected(type, 0.95f, 40.0f), term * 20.0f, 1e-4f);
            EXPECT_NEAR(at95, 52.33253f - term * 20.0f, 1e-4f);
        }
    }
}

TEST(CalibrationRange, TransmissionBoundsAreExclusive) {
    EXPECT_EQ(corrected(0, 1.0f, 20.0f, 0.8f), 62.5f);
    EXPECT_EQ(corrected(2, 1.0f, 20.0f, 0.8f), 62.5f);
    EXPECT_EQ(corrected(0, 1.0f, 20.0f, 0.5f), 50.0f);
    EXPECT_EQ(corrected(0, 1.0f, 20.0f, 1.0f), 50.0f);
    EXPECT_EQ(corrected(0, 1.0f, 20.0f, 0.8f, 1, 0), 50.0f) << "disabled";
}

}  // namespace
}  // namespace kmm
