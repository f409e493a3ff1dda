// Y16 from temperature through the export: the lookup and its reference, the signs of the
// ambient and drift terms per variant, the gain, the blend with its 16-bit steps, the optical
// inversion of type 0, and the round trip with the high range temperature.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "calibration_curves.h"
#include "calibration_fixture.h"

namespace kmm {
namespace {

// Curve k rises by k + 1 from (k + 1) x 1000, from 20 degC. With the reference at 20.5 degC
// (entry 5), 25.0 degC (entry 50) gives 45 x (k + 1): 45, 90, 135, 180.
const std::vector<uint16_t> kBlock = test::rampBlock(200, {1000, 2000, 3000, 4000}, {1, 2, 3, 4});

using Prep = void (*)(MeasureState&, ParaConfig&);

void ambient(MeasureState& s, ParaConfig&) {
    s.ambientEnable = 1;
    s.ambientBaseTemp = 18.5f;  // 2 degC below the reference temperature
    s.ambientCoefHigh = 5.0f, s.ambientCoefLow = 1.0f;
}

void drift(MeasureState& s, ParaConfig&) {
    s.driftEnable = 1, s.driftTempNow = 30.0f, s.driftTempLast = 28.0f;
    s.driftSlopeRefHigh = 5.0f, s.driftSlopeHigh = 3.0f;
}

void between(MeasureState& s, ParaConfig& c) {
    s.segmentIndex = 1, s.segmentKey = 12.5f, s.settingKey = 2.0f;
    c.breakpointCount = 2, c.breakpoints[0] = 10.0f, c.breakpoints[1] = 20.0f;
    c.settingLow = 0.0f, c.settingHigh = 4.0f;
}

#define KMM_SET(...) []([[maybe_unused]] MeasureState& s, [[maybe_unused]] ParaConfig& c) { __VA_ARGS__; }
TEST(CalibrationReverse, LookupCorrectionsAndBlend) {
    struct Case { const char* name; float temperature; int32_t type, expected; Prep setup = nullptr;
        bool high = true; };
    const Case cases[] = {
        {"curve 2 at entry 50", 25.0f, 0, 135},
        {"reference index 1 (20.1 rounds): curve 2[50] - curve 2[1]", 25.0f, 0, 147,
         KMM_SET(s.curveRefTemp = 20.1f)},
        {"the curve's start reads entry 0", 20.0f, 0, -15},
        {"below the curve reads 16383", 19.0f, 0, 16383 - 3015},
        {"just past the last entry reads 16383, not the next curve", 40.0f, 0, 16383 - 3015},
        {"reference off the curve reads 0", 25.0f, 0, 3150, KMM_SET(s.curveRefTemp = 10.0f)},
        {"reference at the curve's start reads entry 0", 25.0f, 0, 150, KMM_SET(s.curveRefTemp = 20.0f)},
        {"reference at the curve's length reads 0, not the next curve", 25.0f, 0, 3150,
         KMM_SET(s.curveRefTemp = 40.0f)},
        {"types 1 to 3 take the alternative reference", 25.0f, 3, 3150, KMM_SET(s.curveRefTempAlt = 10.0f)},
        {"offset0 shifts the lookup", 27.0f, 0, 135, KMM_SET(s.offset0 = 2.0f)},
        {"gain -2 truncates toward zero", 25.0f, 0, -67, KMM_SET(s.gain0 = -2.0f)},
        {"type 0 ambient, high: 135 - 2 x 5", 25.0f, 0, 125, ambient},
        {"type 0 ambient, low: 135 - 2 x 1", 25.0f, 0, 133, ambient, false},
        {"type 1 ambient adds: 135 + 2 x 5", 25.0f, 1, 145, ambient},
        {"type 0 drift adds the reference slope: 135 + 2 x 5", 25.0f, 0, 145, drift},
        {"type 2 drift takes the current slope: 135 - 2 x 3", 25.0f, 2, 129, drift},
        {"index = count: curve 0", 25.0f, 0, 45, KMM_SET(c.breakpointCount = 3, s.segmentIndex = 3)},
        {"between: 0.25 x 135 + 0.75 x 45 = 67.5", 25.0f, 0, 67, between},
        {"both axes: trunc(0.5 x 112 + 0.5 x 67), each side truncated first", 25.0f, 0, 89,
         KMM_SET(between(s, c), s.twoAxisMode = 1)},
        {"gain1 2 halves curves 1 and 3: trunc(0.5 x 56 + 0.5 x 67)", 25.0f, 0, 61,
         KMM_SET(between(s, c), s.twoAxisMode = 1, s.gain1 = 2.0f)},
        {"type 0 takes off transmission 0.8", 31.25f, 0, 135,
         KMM_SET(s.transmissionEnable = 1, c.transmission = 0.8f)},
        {"type 1 keeps the transmission: entry 112", 31.25f, 1, 321,
         KMM_SET(s.transmissionEnable = 1, c.transmission = 0.8f)},
        {"type 0, emissivity 0.99: no inversion", 25.0f, 0, 135,
         KMM_SET(s.emissivityEnable = 1, c.emissivity = 0.99f)},
        {"type 1 keeps the emissivity", 25.0f, 1, 135, KMM_SET(s.emissivityEnable = 1, c.emissivity = 0.85f)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MeasureState s = test::plainState();
        s.curveRefTemp = s.curveRefTempAlt = 20.5f;
        ParaConfig config = test::plainConfig();
        if (c.setup) c.setup(s, config);
        EXPECT_EQ(ReverseCalculationLsb_dll(c.temperature, kBlock.data(), 200, c.high, 0, s, config, c.type),
                  c.expected);
    }
}

// The Planck-type block with the reference at 25 degC: raw values across each of the four
// curves (chosen by the segment and setting ends) come back within one curve step, and within
// two when type 0 has to invert the emissivity and transmission corrections as well.
TEST(CalibrationReverse, RoundTripThroughTheHighRangeTemperature) {
    const scenes::CalibrationCurves curves = scenes::syntheticCalibrationCurves();
    const int32_t n = curves.length;
    ParaConfig config{};
    const float breakpoints[2] = {10.0f, 20.0f};
    SetParaConfig_dll(&config, breakpoints, 2, 4.0f, 0.0f, curves.startTemp, 0.0f, 1.0f, 20.0f, 1.0f, 0);
    struct Optics { int32_t type; float emissivity, transmission; int32_t stepsAllowed; };
    const Optics optics[] = {{0, 1.0f, 1.0f, 1}, {1, 1.0f, 1.0f, 1}, {2, 1.0f, 1.0f, 1},
                             {3, 1.0f, 1.0f, 1}, {0, 0.95f, 0.8f, 2}, {0, 0.85f, 0.7f, 2}};
    for (const Optics& o : optics) {
        config.emissivity = o.emissivity, config.transmission = o.transmission;
        for (int k = 0; k < 4; ++k) {
            MeasureState s = test::plainState();
            s.curveRefTemp = s.curveRefTempAlt = 25.0f;
            s.emissivityEnable = s.transmissionEnable = s.twoAxisMode = 1;
            s.segmentIndex = k < 2 ? 2 : 0, s.settingKey = k % 2 == 0 ? 0.0f : 4.0f;
            const uint16_t* curve = curves.curve(k);
            const int32_t base = curve[450];
            for (int32_t y = curve[0] - base; y < curve[n - 1] - base; y += 97) {
                const float t = GetHighTemperature_dll(uint16_t(y), curves.block.data(), n, nullptr,
                                                       TempCalcInfo{}, s, config, o.type);
                const int32_t back = ReverseCalculationLsb_dll(t, curves.block.data(), n, true, 0,
                                                               s, config, o.type);
                // The step of the curve where y lies.
                const auto at = std::upper_bound(curve, curve + n, uint16_t(y + base)) - curve;
                const int32_t step = curve[std::min<ptrdiff_t>(at, n - 1)] -
                                     curve[std::max<ptrdiff_t>(at - 1, 0)];
                ASSERT_LE(std::abs(back - y), o.stepsAllowed * step)
                    << "type " << o.type << " curve " << k << " e " << o.emissivity << " y " << y
                    << " t " << t;
            }
        }
    }
}

}  // namespace
}  // namespace kmm
