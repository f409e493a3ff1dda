// One calibration curve: offset index, gain, position search, drift and ambient corrections,
// and the drift slope each curve type chooses and leaves in the working state.
#include <gtest/gtest.h>

#include <algorithm>

#include "calibration_fixture.h"
#include "random.h"
#include "temperature/calibration_curve.h"

namespace kmm {
namespace {

using test::kStart;

// Entries 100, 110, ..., 290 from 20.0 degC: a value v lands after the entries <= v.
const std::vector<uint16_t> kCurve = test::rampCurve(20, 100, 10);

struct EvalCase {
    const char* name;
    int16_t y16;
    bool high = true;
    bool set1 = false;
    void (*setup)(MeasureState&) = nullptr;
    float expected = 0;
};

float evaluate(const EvalCase& c, MeasureState& s, int32_t type = 0) {
    return evaluateCurve(c.y16, kCurve.data(), int32_t(kCurve.size()), c.high, c.set1, s,
                         test::plainConfig(), type);
}

void driftOn(MeasureState& s) {
    s.driftEnable = 1;
    s.driftTempNow = 30.0f, s.driftTempLast = 28.0f;
    s.driftSlopeRefHigh = 5.0f, s.driftSlopeRefLow = 1.0f;
}

void ambientOn(MeasureState& s) {
    s.ambientEnable = 1;
    s.ambientBaseTemp = 18.0f;
    s.ambientCoefHigh = 5.0f, s.ambientCoefLow = -1.0f;
}

TEST(CalibrationCurve, PositionOffsetGainAndCorrections) {
    const EvalCase cases[] = {
        {"between entries", 25, true, false, nullptr, 20.3f},
        {"on an entry counts past it", 30, true, false, nullptr, 20.4f},
        {"below the curve", -5, true, false, nullptr, 20.0f},
        {"on the last entry is past the end", 190, true, false, nullptr, 22.0f},
        {"above the curve", 500, true, false, nullptr, 22.0f},
        {"offset index below the curve: base 0", 125, true, false,
         [](MeasureState& s) { s.curveRefTemp = 10.0f; }, 20.3f},
        {"offset index at the length: base 0", 125, true, false,
         [](MeasureState& s) { s.curveRefTemp = 22.0f; }, 20.3f},
        {"offset index 15: base 250", -125, true, false,
         [](MeasureState& s) { s.curveRefTemp = 21.5f; }, 20.3f},
        {"type 0 ignores the alternative reference", 25, true, false,
         [](MeasureState& s) { s.curveRefTempAlt = 10.0f; }, 20.3f},
        {"gain 2", 10, true, false, [](MeasureState& s) { s.gain0 = 2.0f; }, 20.3f},
        {"gain 0.5 truncates", 51, true, false, [](MeasureState& s) { s.gain0 = 0.5f; }, 20.3f},
        {"set 1 takes gain1 and offset1", 10, true, true,
         [](MeasureState& s) { s.gain1 = 2.0f; s.offset1 = 1.5f; s.gain0 = 9.0f; }, 21.8f},
        {"drift, high: 25 - 2 x 5", 25, true, false, driftOn, 20.2f},
        {"drift, low: 25 - 2 x 1", 25, false, false, driftOn, 20.3f},
        {"drift truncates 25 - 5.2 to 19", 25, true, false,
         [](MeasureState& s) { driftOn(s), s.driftSlopeRefHigh = 2.6f; }, 20.2f},
        {"ambient, high: 25 + 2 x 5", 25, true, false, ambientOn, 20.4f},
        {"ambient, low: 25 - 2 x 1", 25, false, false, ambientOn, 20.3f},
        {"corrected value wraps in 16 bits", 32767, true, false, ambientOn, 20.0f},
    };
    for (const EvalCase& c : cases) {
        SCOPED_TRACE(c.name);
        MeasureState s = test::plainState();
        if (c.setup) c.setup(s);
        EXPECT_EQ(evaluate(c, s), c.expected);
    }
}

// The blocked search against the plain scan from the front, on rising curves and on curves
// that are not monotonic (where a larger entry may come before the last one), at every
// length around the block size and at values on, between and beyond the entries.
TEST(CalibrationCurve, PositionSearchMatchesAPlainScan) {
    scenes::SplitMix64 rng(7);
    const auto plainScan = [](const std::vector<uint16_t>& c, int32_t v) {
        if (v > c.back()) return int32_t(c.size());
        return int32_t(std::find_if(c.begin(), c.end(), [v](uint16_t e) { return e > v; }) -
                       c.begin());
    };
    for (int32_t length : {1, 2, 63, 64, 65, 127, 128, 129, 1701}) {
        for (bool rising : {true, false}) {
            std::vector<uint16_t> curve(static_cast<size_t>(length));
            uint32_t level = uint32_t(rng.next() % 1000);
            for (uint16_t& e : curve) {
                level = rising ? std::min<uint32_t>(level + uint32_t(rng.next() % 40), 65535)
                               : uint32_t(rng.next() % 65536);
                e = uint16_t(level);
            }
            for (int round = 0; round < 400; ++round) {
                const uint16_t pick = curve[rng.next() % curve.size()];
                const int32_t v = round % 4 == 0 ? int32_t(rng.next() % 70000) - 2000
                                                 : int32_t(pick) + int32_t(rng.next() % 3) - 1;
                ASSERT_EQ(curvePosition(curve.data(), length, v), plainScan(curve, v))
                    << "length " << length << " v " << v << (rising ? " rising" : " random");
            }
        }
    }
}

// The estimate is (yLast - 100) / (30 - 25); the other range's fields must stay untouched.
struct SlopeCase {
    const char* name;
    int32_t type;
    bool high;
    int16_t yPrev, yLast;
    float ref, current;
    float expected;
    int32_t blendDoneAfter;
    int32_t slopeMode = 0;
    int32_t blendDoneBefore = 0;
    float tPrev = 25.0f, tLast = 30.0f;
    int32_t driftEnable = 1;
};

TEST(CalibrationCurve, DriftSlopeChoiceByType) {
    const SlopeCase cases[] = {
        {"type 0 keeps the current slope", 0, true, 100, 150, 8, 3, 3, 0},
        {"type 1, slope mode: the reference", 1, true, 100, 150, 8, 3, 8, 0, 1},
        {"type 1, estimate in band", 1, true, 100, 150, 8, 3, 10, 0},
        {"type 1, estimate above 2x", 1, true, 100, 200, 8, 3, 16, 0},
        {"type 3, estimate above 2x, low range", 3, false, 100, 200, 8, 3, 16, 0},
        {"type 3, opposite sign in band kept", 3, true, 100, 50, 8, 3, -10, 0},
        {"type 3, below half: half the reference", 3, true, 100, 110, 8, 3, 4, 0},
        {"type 3, small and opposite: reference sign", 3, true, 100, 90, 8, 3, 4, 0},
        {"type 3, negative reference", 3, true, 100, 200, -8, 3, -16, 0},
        {"no estimate: no earlier sample", 1, true, 0, 150, 8, 3, 3, 0},
        {"no estimate: samples 0.05 apart", 3, true, 100, 150, 8, 3, 3, 0, 0, 0, 25.0f, 25.05f},
        {"no estimate: earlier temperature 0", 3, true, 100, 150, 8, 3, 3, 0, 0, 0, 0.0f, 5.0f},
        {"drift off: nothing chosen", 3, true, 100, 200, 8, 3, 3, 0, 0, 0, 25.0f, 30.0f, 0},
        {"type 2, 1.5x clamp, blend off clears the flag", 2, true, 100, 200, 8, 3, 12, 0, 0, 1},
        {"type 2, blend already done", 2, true, 100, 200, 8, 3, 12, 1, 1, 1},
        {"type 2, blend, high, step 100 > 35", 2, true, 100, 200, 8, 3, 0.4f * 8 + 0.6f * 12, 1, 1},
        {"type 2, blend, low, step 100 <= 100", 2, false, 100, 200, 8, 3, 0.2f * 8 + 0.8f * 12, 1, 1},
        {"type 2, blend, high, step 30 <= 35", 2, true, 100, 130, 8, 3, 0.2f * 8 + 0.8f * 6, 1, 1},
        {"type 2, blend without estimate", 2, true, 0, 150, 8, 3, 0.4f * 8 + 0.6f * 3, 1, 1},
    };
    for (const SlopeCase& c : cases) {
        SCOPED_TRACE(c.name);
        MeasureState s = test::plainState();
        s.driftEnable = c.driftEnable;
        s.driftSlopeMode = c.slopeMode;
        s.driftBlendDone = c.blendDoneBefore;
        s.driftY16Prev = c.yPrev, s.driftY16Last = c.yLast;
        s.driftTempPrev = c.tPrev, s.driftTempLast = c.tLast;
        s.driftTempNow = c.tLast;
        (c.high ? s.driftSlopeRefHigh : s.driftSlopeRefLow) = c.ref;
        (c.high ? s.driftSlopeHigh : s.driftSlopeLow) = c.current;
        (c.high ? s.driftSlopeRefLow : s.driftSlopeRefHigh) = 100.0f;
        (c.high ? s.driftSlopeLow : s.driftSlopeHigh) = 50.0f;
        const EvalCase at{"", 25, c.high};
        evaluate(at, s, c.type);
        EXPECT_FLOAT_EQ(c.high ? s.driftSlopeHigh : s.driftSlopeLow, c.expected);
        EXPECT_EQ(c.high ? s.driftSlopeLow : s.driftSlopeHigh, 50.0f);
        EXPECT_EQ(s.driftBlendDone, c.blendDoneAfter);
    }
}

}  // namespace
}  // namespace kmm
