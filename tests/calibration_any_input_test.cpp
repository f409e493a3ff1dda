// The calibration-curve exports on bad calls and on arbitrary records, curves and values:
// whatever the bytes, the calls stay inside their buffers and free of undefined behaviour (the
// sanitizer build turns any slip into a failure); only a bad curve type or block gives the
// markers.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "KModuleMeasure.h"
#include "random.h"

namespace kmm {
namespace {

// A 32-bit word that is sometimes raw bits (NaN, infinities, huge values), mostly a float or
// integer of the sizes the records really hold, so that every branch gets its turn.
uint32_t anyWord(scenes::SplitMix64& rng) {
    const uint64_t r = rng.next();
    switch (r % 4) {
    case 0: return uint32_t(r >> 32);
    case 1: return uint32_t(r >> 32) % 4;  // flags, small counts, segment indices
    default: {
        const float f = float(rng.uniform() * 400.0 - 200.0);
        uint32_t u;
        std::memcpy(&u, &f, sizeof u);
        return u;
    }
    }
}

template <typename Record>
Record anyRecord(scenes::SplitMix64& rng) {
    static_assert(sizeof(Record) % 4 == 0);
    uint32_t words[sizeof(Record) / 4];
    for (uint32_t& w : words) w = anyWord(rng);
    Record r;
    std::memcpy(&r, words, sizeof r);
    return r;
}

TEST(CalibrationAnyInput, BadCallsComputeNothing) {
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
}

TEST(CalibrationAnyInput, ArbitraryRecordsAndCurvesStaySafe) {
    scenes::SplitMix64 rng(0xC0FFEE);
    for (int round = 0; round < 3000; ++round) {
        const int32_t length = int32_t(1 + rng.next() % 40);
        // Exactly four curves: any read past the block is an overrun.
        std::vector<uint16_t> block(size_t(4 * length));
        for (uint16_t& e : block) e = uint16_t(rng.next());
        const MeasureState state = anyRecord<MeasureState>(rng);
        const ParaConfig config = anyRecord<ParaConfig>(rng);
        const int32_t type = int32_t(rng.next() % 6) - 1;
        const uint16_t y16 = uint16_t(rng.next());
        float temperature;
        const uint32_t t = anyWord(rng);
        std::memcpy(&temperature, &t, sizeof t);

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
