// One calibration curve: offset index, gain, position search, drift and ambient corrections,
// and the drift slope each curve type chooses and leaves in the working state. Then the high
// and low range temperatures through the exports: the blend of the four curves along both
// axes, emissivity and transmission.
#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "calibration_fixture.h"
#include "random.h"
#include "temperature/calibration_curve.h"

namespace kmm {
namespace {

// Entries 100, 110, ..., 290 from 20.0 degC: a value v lands after the entries <= v. The
// entry after them belongs to the next curve of a block: nothing may read it (a 1 would count,
// and would move a base).
constexpr int32_t kLength = 20;
const std::vector<uint16_t> kCurve = [] {
    auto curve = test::rampCurve(kLength, 100, 10);
    curve.push_back(1);
    return curve;
}();

using Prep = void (*)(MeasureState&);

float evaluate(int16_t y16, bool high, bool set1, MeasureState& s, int32_t type = 0) {
    return evaluateCurve(y16, kCurve.data(), kLength, high, set1, s, test::plainConfig(), type);
}

void driftOn(MeasureState& s) {
    s.driftEnable = 1, s.driftTempNow = 30.0f, s.driftTempLast = 28.0f;
    s.driftSlopeRefHigh = 5.0f, s.driftSlopeRefLow = 1.0f;
}

void ambientOn(MeasureState& s) {
    s.ambientEnable = 1, s.ambientBaseTemp = 18.0f, s.ambientCoefHigh = 5.0f;
}

#define KMM_SET(...) [](MeasureState& s) { __VA_ARGS__; }
TEST(CalibrationCurve, PositionOffsetGainAndCorrections) {
    struct Case { const char* name; int16_t y16; bool high, set1; Prep setup; float expected;
        int32_t type = 0; };
    const Case cases[] = {
        {"between entries", 25, true, false, nullptr, 20.3f},
        {"on the last entry is past the end", 190, true, false, nullptr, 22.0f},
        {"offset index at the length: base 0", 129, true, false, KMM_SET(s.curveRefTemp = 22.0f), 20.3f},
        {"offset index 15: base 250", -125, true, false, KMM_SET(s.curveRefTemp = 21.5f), 20.3f},
        {"type 0 ignores the alternative reference", 25, true, false,
         KMM_SET(s.curveRefTempAlt = 10.0f), 20.3f},
        {"so does type 3", 25, true, false, KMM_SET(s.curveRefTempAlt = 10.0f), 20.3f, 3},
        {"gain 0.5 truncates", 51, true, false, KMM_SET(s.gain0 = 0.5f), 20.3f},
        {"set 1 takes gain1 and offset1", 10, true, true,
         KMM_SET(s.gain1 = 2.0f; s.offset1 = 1.5f; s.gain0 = 9.0f), 21.8f},
        {"drift, high: 25 - 2 x 5", 25, true, false, driftOn, 20.2f},
        {"drift, low: 25 - 2 x 1", 25, false, false, driftOn, 20.3f},
        {"drift truncates 25 - 5.2 to 19", 25, true, false,
         KMM_SET(driftOn(s), s.driftSlopeRefHigh = 2.6f), 20.2f},
        {"ambient, high: 25 + 2 x 5", 25, true, false, ambientOn, 20.4f},
        {"corrected value wraps in 16 bits", 32767, true, false, ambientOn, 20.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasureState s = test::plainState();
        if (c.setup) c.setup(s);
        EXPECT_EQ(evaluate(c.y16, c.high, c.set1, s, c.type), c.expected);
    }
}

// The blocked search against a plain scan from the front, on rising curves, curves of long
// plateaus (which cross the blocks' edges) and non-monotonic ones, at lengths around the
// block size and at values on, between and beyond the entries.
TEST(CalibrationCurve, PositionSearchMatchesAPlainScan) {
    scenes::SplitMix64 rng(7);
    for (int32_t length : {1, 63, 64, 65, 129, 1701}) {
        for (int kind : {0, 1, 2}) {  // rising, plateaus, random
            std::vector<uint16_t> curve(static_cast<size_t>(length));
            uint32_t level = uint32_t(rng.next() % 1000);
            for (uint16_t& e : curve) {
                const uint32_t step = kind == 0 || rng.next() % 24 == 0 ? rng.next() % 40 : 0;
                level = kind == 2 ? uint32_t(rng.next() % 65536)
                                  : std::min<uint32_t>(level + step, 65535);
                e = uint16_t(level);
            }
            for (int round = 0; round < 150; ++round) {
                const int32_t v = round % 4 == 0 ? int32_t(rng.next() % 70000) - 2000
                                                 : int32_t(curve[rng.next() % curve.size()]) +
                                                       int32_t(rng.next() % 3) - 1;
                const auto past = std::find_if(curve.begin(), curve.end(), [v](uint16_t e) { return e > v; });
                const int32_t scan = v > curve.back() ? length : int32_t(past - curve.begin());
                ASSERT_EQ(curvePosition(curve.data(), length, v), scan)
                    << "length " << length << " v " << v << " kind " << kind;
            }
        }
    }
}

// The estimate is (yLast - 100) / (30 - 25); the other range's fields must stay untouched.
TEST(CalibrationCurve, DriftSlopeChoiceByType) {
    struct Case {
        const char* name;
        int32_t type;
        bool high;
        int16_t yPrev, yLast;
        float ref, expected;
        int32_t blendDoneAfter, slopeMode = 0, blendDoneBefore = 0;
        float tPrev = 25.0f;
        int32_t driftEnable = 1;
        float tLast = 30.0f;
    };
    const Case cases[] = {
        {"type 0 keeps the current slope", 0, true, 100, 150, 8, 3, 0},
        {"type 1, slope mode: the reference", 1, true, 100, 150, 8, 8, 0, 1},
        {"type 3, opposite sign in band kept", 3, true, 100, 50, 8, -10, 0},
        {"type 3, below half: half the reference", 3, true, 100, 110, 8, 4, 0},
        {"type 3, small and opposite: reference sign", 3, true, 100, 90, 8, 4, 0},
        {"type 3, exactly half and opposite: kept", 3, true, 100, 80, 8, -4, 0},
        {"type 3, estimate above 2x, low range", 3, false, 100, 200, 8, 16, 0},
        {"type 3, negative reference", 3, true, 100, 200, -8, -16, 0},
        {"no estimate: no earlier sample", 1, true, 0, 150, 8, 3, 0},
        {"no estimate: samples 0.05 apart", 3, true, 100, 150, 8, 3, 0, 0, 0, 29.95f},
        {"samples 0.1f apart: 1 / 0.1f", 3, true, 100, 101, 8, 10, 0, 0, 0, 0.1f, 1, 0.2f},
        {"no estimate: earlier temperature 0", 3, true, 100, 150, 8, 3, 0, 0, 0, 0.0f},
        {"drift off: nothing chosen", 3, true, 100, 200, 8, 3, 0, 0, 0, 25.0f, 0},
        {"type 2, 1.5x clamp, blend off clears the flag", 2, true, 100, 200, 8, 12, 0, 0, 1},
        {"type 2, blend, high, step 30 <= 35", 2, true, 100, 130, 8, 0.2f * 8 + 0.8f * 6, 1, 1},
        {"type 2, blend, high, step 36 > 35", 2, true, 100, 136, 8, 0.4f * 8 + 0.6f * 7.2f, 1, 1},
        {"type 2, blend, low, step 101 > 100", 2, false, 100, 201, 8, 0.4f * 8 + 0.6f * 12, 1, 1},
        {"type 2, blend, low, step 100 <= 100", 2, false, 100, 200, 8, 0.2f * 8 + 0.8f * 12, 1, 1},
        {"type 2, blend done before: the clamped estimate", 2, true, 100, 200, 8, 12, 1, 1, 1},
        {"type 2, blend without estimate", 2, true, 0, 150, 8, 0.4f * 8 + 0.6f * 3, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasureState s = test::plainState();
        s.driftEnable = c.driftEnable, s.driftSlopeMode = c.slopeMode;
        s.driftBlendDone = c.blendDoneBefore, s.driftY16Prev = c.yPrev, s.driftY16Last = c.yLast;
        s.driftTempPrev = c.tPrev, s.driftTempLast = c.tLast, s.driftTempNow = 30.0f;
        (c.high ? s.driftSlopeRefHigh : s.driftSlopeRefLow) = c.ref;
        (c.high ? s.driftSlopeHigh : s.driftSlopeLow) = 3.0f;
        (c.high ? s.driftSlopeRefLow : s.driftSlopeRefHigh) = 100.0f;
        (c.high ? s.driftSlopeLow : s.driftSlopeHigh) = 50.0f;
        evaluate(25, c.high, false, s, c.type);
        EXPECT_FLOAT_EQ(c.high ? s.driftSlopeHigh : s.driftSlopeLow, c.expected);
        EXPECT_EQ(c.high ? s.driftSlopeLow : s.driftSlopeHigh, 50.0f);
        EXPECT_EQ(s.driftBlendDone, c.blendDoneAfter);
    }
}

// Curves of 200 entries rising by 1 from 1000 (curves 0, 1) and 950 (curves 2, 3), read with
// the offset index off the curve (base 0) and offset1 = 100: y16 1099 gives T0 = 10,
// T1 = 110, T2 = 15, T3 = 115 from a start of 0 degC.
const std::vector<uint16_t> kBlock = test::rampBlock(200, {1000, 1000, 950, 950}, {1, 1, 1, 1});

float high(uint16_t y16, const MeasureState& s, const ParaConfig& c, int32_t type = 0) {
    return GetHighTemperature_dll(y16, kBlock.data(), 200, nullptr, TempCalcInfo{}, s, c, type);
}

TEST(CalibrationRange, BlendAlongBothAxes) {
    struct Case {
        const char* name;
        uint8_t segmentIndex, count;
        int32_t twoAxisMode;
        float settingKey, expected;
        float b0 = 10.0f, b1 = 20.0f;  // the breakpoints around the segment
    };
    const Case cases[] = {
        {"index 0, count 0: curve 2 only", 0, 0, 0, 3.0f, 15.0f},
        {"index 0, both axes: curves 2 and 3", 0, 2, 1, 3.0f, 40.0f},
        {"index = count, both axes: curves 0 and 1", 2, 2, 1, 3.0f, 35.0f},
        {"between, first axis", 1, 2, 0, 3.0f, 11.25f},
        {"between, both axes", 1, 2, 1, 3.0f, 36.25f},
        {"two-axis mode 2 is mode 0", 1, 2, 2, 3.0f, 11.25f},
        {"setting key at the low end", 1, 2, 1, 2.0f, 11.25f},
        {"setting key above the high end", 1, 2, 1, 11.0f, 111.25f},
        {"equal breakpoints: half and half", 1, 2, 0, 3.0f, 12.5f, 10.0f, 10.0f},
        {"index above the count: curve 0 only", 5, 2, 0, 3.0f, 10.0f},
        {"count above 10, index 11: curve 0 only", 11, 12, 0, 3.0f, 10.0f},
        {"count above 10, index 10: curve 0 only, no eleventh breakpoint", 10, 12, 0, 3.0f, 10.0f},
        {"count above 10, index 9: between", 9, 12, 0, 3.0f, 11.25f},
    };
    for (const Case& b : cases) {
        SCOPED_TRACE(b.name);
        MeasureState s = test::plainState();
        s.curveRefTemp = s.curveRefTempAlt = -100.0f, s.offset1 = 100.0f, s.segmentKey = 12.5f;
        s.segmentIndex = b.segmentIndex, s.twoAxisMode = b.twoAxisMode, s.settingKey = b.settingKey;
        ParaConfig c = test::plainConfig();
        c.curveStartTemp = 0.0f, c.settingLow = 2.0f, c.settingHigh = 6.0f, c.breakpointCount = b.count;
        const int lower = b.segmentIndex > 0 && b.segmentIndex <= 10 ? b.segmentIndex - 1 : 0;
        c.breakpoints[lower] = b.b0;
        if (lower + 1 < 10) c.breakpoints[lower + 1] = b.b1;
        EXPECT_EQ(high(1099, s, c), b.expected);
    }
}

TEST(CalibrationRange, RawValueIsSignedAndRangeFieldsDecide) {
    MeasureState s = test::plainState();
    s.curveRefTemp = -100.0f;  // base 0: the value itself is looked up
    ParaConfig c = test::plainConfig();
    c.curveStartTemp = 0.0f;
    // 65535 is -1, below every curve; read unsigned it would be past the end (20.0).
    EXPECT_EQ(high(65535, s, c), 0.0f);
    s.ambientEnable = 1;
    s.ambientBaseTemp = -101.0f;  // one degree: +coef
    s.ambientCoefHigh = 10.0f, s.ambientCoefLow = 20.0f;
    EXPECT_EQ(high(1000, s, c), 6.1f);  // curve 2: 1010 is entry 60
    EXPECT_EQ(GetLowTemperature_dll(1000, kBlock.data(), 200, nullptr, TempCalcInfo{}, s, c, 0), 7.1f);
}

// An apparent 50.0 degC (curve 2 alone, from a start of 40 degC) through the corrections.
float corrected(int32_t type, float emissivity, float reflected, float transmission = 1.0f,
                int32_t emissivityEnable = 1, int32_t transmissionEnable = 1) {
    MeasureState s = test::plainState();
    s.curveRefTemp = s.curveRefTempAlt = -100.0f;
    s.emissivityEnable = emissivityEnable, s.transmissionEnable = transmissionEnable;
    ParaConfig c = test::plainConfig();
    c.curveStartTemp = 40.0f;
    c.emissivity = emissivity, c.reflectedTemp = reflected, c.transmission = transmission;
    return high(1049, s, c, type);  // 950 + 99: entry 100
}

TEST(CalibrationRange, EmissivityAndTransmissionCorrections) {
    for (int32_t type = 0; type <= 3; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(corrected(type, 0.99f, 20.0f), 50.0f) << "0.99 counts as a black body";
        EXPECT_EQ(corrected(type, 0.85f, 20.0f, 1.0f, 0), 50.0f) << "emissivity disabled";
        EXPECT_EQ(corrected(type, 1.0f, 20.0f, 0.8f), 62.5f);
        EXPECT_EQ(corrected(type, 1.0f, 20.0f, 0.5f), 50.0f) << "0.5 is outside the bounds";
        EXPECT_EQ(corrected(type, 1.0f, 20.0f, 0.8f, 1, 0), 50.0f) << "transmission disabled";
        // A grey body at 50 degC against a cooler surrounding looks colder than it is.
        const float at95 = corrected(type, 0.95f, 20.0f);
        const float at85 = corrected(type, 0.85f, 20.0f);
        EXPECT_GT(at95, 50.0f);
        EXPECT_GT(at85, at95);
        if (type == 2) {
            // Whole tenths from the signal table, times 0.1f; the reflected temperature counts.
            EXPECT_EQ(std::tuple(at95, at85, corrected(type, 0.95f, 40.0f)), std::tuple(511 * 0.1f, 537 * 0.1f, 504 * 0.1f));
        } else {
            // Polynomial: 1.744737 - 0.750542 e, 0.0001988507 e - 0.0001762534 and
            // 4.750041 - 4.247635 e at T = 50; the reflected term only from e = 0.9 on.
            EXPECT_NEAR(at85, 56.46029f, 1e-4f);
            EXPECT_EQ(corrected(type, 0.85f, 40.0f), at85);
            const float term = (1.0f - 0.95f) / 0.95f;
            EXPECT_NEAR(at95, 52.33253f - term * 20.0f, 1e-4f);
            EXPECT_NEAR(at95 - corrected(type, 0.95f, 40.0f), term * 20.0f, 1e-4f);
        }
    }
}

}  // namespace
}  // namespace kmm
