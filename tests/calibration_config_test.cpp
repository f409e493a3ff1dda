// The curve configuration setter: what it writes, what it leaves, and the calls it refuses.
#include <gtest/gtest.h>

#include <cstring>

#include "KModuleMeasure.h"

namespace kmm {
namespace {

ParaConfig sentinelRecord() {
    ParaConfig c;
    std::memset(&c, 0xA5, sizeof c);
    return c;
}

uint32_t bits(float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

// Breakpoint words that a float round trip could alter: a signalling NaN, a negative NaN,
// a denormal.
const uint32_t kWords[3] = {0x7FA00001u, 0xFFFFFFFFu, 0x00000001u};

const float* wordsAsFloats() { return reinterpret_cast<const float*>(kWords); }

TEST(CalibrationConfig, WritesFieldsAndCopiesWordsBitForBit) {
    ParaConfig c = sentinelRecord();
    SetParaConfig_dll(&c, wordsAsFloats(), 3, 80.0f, 20.0f, -20.0f, 7.0f, 0.95f, 23.0f, 0.9f, 3);
    EXPECT_EQ(c.breakpointCount, 3);
    EXPECT_EQ(c.formatTag, 2);
    EXPECT_EQ(c.settingHigh, 80.0f);
    EXPECT_EQ(c.settingLow, 20.0f);
    EXPECT_EQ(c.curveStartTemp, -20.0f);
    EXPECT_EQ(c.extraParam, 7.0f);
    EXPECT_EQ(c.emissivity, 0.95f);
    EXPECT_EQ(c.reflectedTemp, 23.0f);
    EXPECT_EQ(c.transmission, 0.9f);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(bits(c.breakpoints[i]), kWords[i]) << i;
    // Words beyond the count and every byte the setter does not own keep their value.
    const ParaConfig before = sentinelRecord();
    EXPECT_EQ(std::memcmp(&c.breakpoints[3], &before.breakpoints[3], 7 * 4), 0);
    EXPECT_EQ(std::memcmp(c.reserved1, before.reserved1, sizeof c.reserved1), 0);
    EXPECT_EQ(std::memcmp(c.reserved45, before.reserved45, sizeof c.reserved45), 0);
    EXPECT_EQ(std::memcmp(c.reserved56, before.reserved56, sizeof c.reserved56), 0);
    EXPECT_EQ(std::memcmp(c.reserved84, before.reserved84, sizeof c.reserved84), 0);
}

TEST(CalibrationConfig, CountZeroWritesScalarsOnly) {
    ParaConfig c = sentinelRecord();
    SetParaConfig_dll(&c, wordsAsFloats(), 0, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_EQ(c.breakpointCount, 0);
    EXPECT_EQ(c.settingHigh, 1.0f);
    const ParaConfig before = sentinelRecord();
    EXPECT_EQ(std::memcmp(c.breakpoints, before.breakpoints, sizeof c.breakpoints), 0);
}

TEST(CalibrationConfig, RefusedCallsLeaveTheRecord) {
    const float values[11] = {};
    struct Case {
        const char* name;
        bool nullRecord, nullValues;
        uint8_t count;
        uint32_t curveType;
    };
    const Case cases[] = {
        {"curve type 4", false, false, 2, 4},
        {"curve type 0xFFFFFFFF", false, false, 2, 0xFFFFFFFFu},
        {"null values", false, true, 2, 0},
        {"null record", true, false, 2, 0},
        {"count 11", false, false, 11, 0},
        {"count 255", false, false, 255, 1},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ParaConfig c = sentinelRecord();
        SetParaConfig_dll(k.nullRecord ? nullptr : &c, k.nullValues ? nullptr : values, k.count,
                          1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, k.curveType);
        const ParaConfig before = sentinelRecord();
        EXPECT_EQ(std::memcmp(&c, &before, sizeof c), 0);
    }
}

}  // namespace
}  // namespace kmm
