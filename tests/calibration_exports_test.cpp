// The calibration exports on refused calls and on arbitrary records, curves and values, and
// what the curve configuration setter writes. Whatever the bytes, the calls stay inside their
// buffers and free of undefined behaviour (the sanitizer build turns any slip into a failure);
// only a bad curve type or block gives the markers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "KModuleMeasure.h"
#include "calibration_fixture.h"
#include "random.h"

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
// own keep their value; count 0 writes the scalars only.
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

    c = kSentinel;
    SetParaConfig_dll(&c, values, 0, 1.0f, 0.0f, 0.0f, 0.0f, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_EQ(c.breakpointCount, 0);
    EXPECT_EQ(c.settingHigh, 1.0f);
    EXPECT_EQ(std::memcmp(c.breakpoints, kSentinel.breakpoints, sizeof c.breakpoints), 0);
}

// The records cross the boundary as bytes: fields written at their byte offsets in
// little-endian buffers act exactly like the same fields set by name, in both directions.
TEST(CalibrationExports, RecordsBuiltFromRawBytesActLikeNamedFields) {
    auto put = [](uint8_t* bytes, size_t offset, auto value) {
        std::memcpy(bytes + offset, &value, sizeof value);
    };
    uint8_t state[152] = {}, config[92] = {};
    put(state, 12, int32_t(1));                            // twoAxisMode
    put(state, 44, 20.0f), put(state, 48, 20.0f);          // curve reference temperatures
    put(state, 64, 15.0f), put(state, 120, uint8_t(1));    // segmentKey, segmentIndex
    put(state, 76, 2.0f), put(state, 80, 0.5f);            // gain0, offset0
    put(state, 84, 1.0f), put(state, 88, -0.5f);           // gain1, offset1
    put(state, 124, 30.0f);                                // settingKey
    put(config, 0, uint8_t(2)), put(config, 4, 10.0f), put(config, 8, 20.0f);  // breakpoints
    put(config, 48, 20.0f), put(config, 52, 40.0f);        // settingLow, settingHigh
    put(config, 64, 1.0f), put(config, 68, 1.0f), put(config, 76, 20.0f);
    MeasureState stateFromBytes;
    ParaConfig configFromBytes;
    std::memcpy(&stateFromBytes, state, sizeof state);
    std::memcpy(&configFromBytes, config, sizeof config);

    MeasureState named{};
    named.twoAxisMode = 1;
    named.curveRefTempAlt = named.curveRefTemp = 20.0f;
    named.segmentKey = 15.0f, named.segmentIndex = 1, named.settingKey = 30.0f;
    named.gain0 = 2.0f, named.offset0 = 0.5f, named.gain1 = 1.0f, named.offset1 = -0.5f;
    ParaConfig namedConfig{};
    namedConfig.breakpointCount = 2, namedConfig.breakpoints[0] = 10.0f;
    namedConfig.breakpoints[1] = 20.0f;
    namedConfig.settingLow = 20.0f, namedConfig.settingHigh = 40.0f;
    namedConfig.emissivity = namedConfig.transmission = 1.0f, namedConfig.curveStartTemp = 20.0f;

    const auto curves = test::rampBlock(300, {1000, 1100, 1200, 1300}, {5, 6, 7, 8});
    const TempCalcInfo info{};
    for (int32_t type = 0; type <= 3; ++type) {
        for (uint16_t y16 : {1200, 1900}) {
            const float fromBytes = GetHighTemperature_dll(y16, curves.data(), 300, nullptr, info,
                                                           stateFromBytes, configFromBytes, type);
            const float fromNames = GetHighTemperature_dll(y16, curves.data(), 300, nullptr, info,
                                                           named, namedConfig, type);
            ASSERT_FALSE(std::isnan(fromNames)) << type;
            EXPECT_EQ(fromBytes, fromNames) << "type " << type << " y16 " << y16;
        }
        EXPECT_EQ(ReverseCalculationLsb_dll(35.0f, curves.data(), 300, true, 0, stateFromBytes,
                                            configFromBytes, type),
                  ReverseCalculationLsb_dll(35.0f, curves.data(), 300, true, 0, named,
                                            namedConfig, type))
            << type;
    }
}

TEST(CalibrationExports, RefusedCallsComputeNothingAndLeaveTheRecord) {
    const std::vector<uint16_t> block(40, 1000);
    const MeasureState s{};
    const ParaConfig c{};
    struct Case {
        const uint16_t* curves;
        int32_t length, type;
    };
    for (const Case& k : {Case{block.data(), 10, -1}, Case{block.data(), 10, 4},
                          Case{block.data(), 10, 1 << 30}, Case{nullptr, 10, 0},
                          Case{block.data(), 0, 0}, Case{block.data(), -1, 0}}) {
        SCOPED_TRACE(testing::Message() << k.length << " " << k.type);
        EXPECT_TRUE(std::isnan(
            GetHighTemperature_dll(1, k.curves, k.length, nullptr, TempCalcInfo{}, s, c, k.type)));
        EXPECT_TRUE(std::isnan(
            GetLowTemperature_dll(1, k.curves, k.length, nullptr, TempCalcInfo{}, s, c, k.type)));
        EXPECT_EQ(ReverseCalculationLsb_dll(25.0f, k.curves, k.length, true, 0, s, c, k.type),
                  KMM_NO_Y16);
    }
    struct SetCase {
        const char* name;
        bool nullRecord, nullValues;
        uint8_t count;
        uint32_t curveType;
    };
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

// A 32-bit word that is sometimes raw bits (NaN, infinities, huge values), mostly a float or
// integer of the sizes the records really hold, so that every branch gets its turn.
uint32_t anyWord(scenes::SplitMix64& rng) {
    const uint64_t r = rng.next();
    if (r % 4 == 0) return uint32_t(r >> 32);
    if (r % 4 == 1) return uint32_t(r >> 32) % 4;  // flags, small counts, segment indices
    const float f = float(rng.uniform() * 400.0 - 200.0);
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    return u;
}

template <typename Record>
Record anyRecord(scenes::SplitMix64& rng) {
    uint32_t words[sizeof(Record) / 4];
    for (uint32_t& w : words) w = anyWord(rng);
    Record r;
    std::memcpy(&r, words, sizeof r);
    return r;
}

TEST(CalibrationExports, ArbitraryRecordsAndCurvesStaySafe) {
    scenes::SplitMix64 rng(0xC0FFEE);
    for (int round = 0; round < 1000; ++round) {
        const int32_t length = int32_t(1 + rng.next() % 40);
        // Exactly four curves: any read past the block is an overrun.
        std::vector<uint16_t> block(size_t(4 * length));
        for (uint16_t& e : block) e = uint16_t(rng.next());
        const MeasureState state = anyRecord<MeasureState>(rng);
        const ParaConfig config = anyRecord<ParaConfig>(rng);
        const int32_t type = int32_t(rng.next() % 6) - 1;
        const uint16_t y16 = uint16_t(rng.next());
        const uint32_t word = anyWord(rng);
        float temperature;
        std::memcpy(&temperature, &word, sizeof word);
        const float hi = GetHighTemperature_dll(y16, block.data(), length, nullptr,
                                                TempCalcInfo{}, state, config, type);
        const float lo = GetLowTemperature_dll(y16, block.data(), length, nullptr, TempCalcInfo{},
                                               state, config, type);
        const int32_t y = ReverseCalculationLsb_dll(temperature, block.data(), length,
                                                    rng.next() % 2 == 0, 0, state, config, type);
        if (type < 0 || type > 3) {
            EXPECT_TRUE(std::isnan(hi) && std::isnan(lo));
            EXPECT_EQ(y, KMM_NO_Y16);
        }
    }
}

}  // namespace
}  // namespace kmm
