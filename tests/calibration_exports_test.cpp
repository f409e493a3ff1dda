// The calibration exports on refused calls, and what the curve configuration setter writes.
// (fuzz_calibration drives them with arbitrary records, curves and values.)
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "KModuleMeasure.h"

namespace kmm {
namespace {

ParaConfig sentinelRecord() {
    ParaConfig c;
    std::memset(&c, 0xA5, sizeof c);
    return c;
}
const ParaConfig kSentinel = sentinelRecord();

// Breakpoint words a float round trip could alter (a signalling NaN, a negative NaN, a
// denormal) are copied bit for bit; words beyond the count and every byte the setter does not
// own keep their value.
TEST(CalibrationExports, SetParaConfigWritesItsFieldsOnly) {
    const uint32_t words[3] = {0x7FA00001u, 0xFFFFFFFFu, 0x00000001u};
    const float* values = reinterpret_cast<const float*>(words);
    ParaConfig expected = kSentinel;
    std::memcpy(expected.breakpoints, words, sizeof words);
    expected.breakpointCount = 3, expected.formatTag = 2;
    expected.settingHigh = 80.0f, expected.settingLow = 20.0f, expected.curveStartTemp = -20.0f;
    expected.extraParam = 7.0f, expected.emissivity = 0.95f, expected.reflectedTemp = 23.0f;
    expected.transmission = 0.9f;
    ParaConfig c = kSentinel;
    SetParaConfig_dll(&c, values, 3, 80.0f, 20.0f, -20.0f, 7.0f, 0.95f, 23.0f, 0.9f, 3);
    EXPECT_EQ(std::memcmp(&c, &expected, sizeof c), 0);
    const float ten[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};  // the most a record holds
    SetParaConfig_dll(&c, ten, 10, 80.0f, 20.0f, -20.0f, 7.0f, 0.95f, 23.0f, 0.9f, 3);
    EXPECT_EQ(c.breakpointCount, 10);
}

TEST(CalibrationExports, RefusedCallsComputeNothingAndLeaveTheRecord) {
    const std::vector<uint16_t> block(40, 1000);
    const MeasureState s{};
    const ParaConfig c{};
    struct Case { const uint16_t* curves; int32_t length, type; };
    for (const Case& k : {Case{block.data(), 10, -1}, Case{block.data(), 10, 4},
                          Case{block.data(), 10, 1 << 30}, Case{nullptr, 10, 0},
                          Case{block.data(), 0, 0}, Case{block.data(), -1, 0}}) {
        SCOPED_TRACE(testing::Message() << k.length << " " << k.type);
        EXPECT_TRUE(std::isnan(
            GetHighTemperature_dll(1, k.curves, k.length, nullptr, TempCalcInfo{}, s, c, k.type)));
        EXPECT_TRUE(std::isnan(
            GetLowTemperature_dll(1, k.curves, k.length, nullptr, TempCalcInfo{}, s, c, k.type)));
        EXPECT_EQ(ReverseCalculationLsb_dll(25.0f, k.curves, k.length, true, 0, s, c, k.type), KMM_NO_Y16);
    }
    struct SetCase { const char* name; bool nullRecord, nullValues; uint8_t count; uint32_t curveType; };
    const float values[11] = {};
    for (const SetCase& k : {SetCase{"curve type 4", false, false, 2, 4},
                             SetCase{"curve type 0xFFFFFFFF", false, false, 2, 0xFFFFFFFFu},
                             SetCase{"null values", false, true, 2, 0},
                             SetCase{"null record", true, false, 2, 0},
                             SetCase{"count 11", false, false, 11, 0},
                             SetCase{"count 255", false, false, 255, 1}}) {
        SCOPED_TRACE(k.name);
        ParaConfig record = kSentinel;
        SetParaConfig_dll(k.nullRecord ? nullptr : &record, k.nullValues ? nullptr : values,
                          k.count, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, k.curveType);
        EXPECT_EQ(std::memcmp(&record, &kSentinel, sizeof record), 0);
    }
}

}  // namespace
}  // namespace kmm
