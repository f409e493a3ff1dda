// The signal tables' stated facts and the primitives that walk them.
#include <gtest/gtest.h>

#include <bit>
#include <limits>

#include "temperature/signal_tables.h"

namespace kmm {
namespace {

const SignalTable& wide = wideSignalTable();
const SignalTable& narrow = narrowSignalTable();

// The wide table's stated rows and plateaus, both tables nondecreasing, and the narrow one the
// wide one capped at 8500.
TEST(SignalTables, TablesHoldEveryStatedFact) {
    ASSERT_EQ(wide.last, 40959);
    ASSERT_EQ(narrow.last, 16383);
    EXPECT_EQ(wide.upperBound, 21000);
    EXPECT_EQ(narrow.upperBound, 8500);
    const struct { int position, value;
         } rows[] = {{0, -450}, {1811, -450}, {1812, -445}, {1896, 0},       {2048, 518},     {4096, 3224},
                {8192, 6569}, {12288, 9264}, {16384, 11722}, {20480, 13929}, {24576, 15885},
                {28672, 17588}, {32768, 19040}, {36864, 20240}, {40049, 21000}, {40959, 21000}};
    for (const auto& r : rows) EXPECT_EQ(wide.entries[r.position], r.value) << r.position;
    EXPECT_LT(wide.entries[40048], 21000);
    EXPECT_LT(narrow.entries[11093], 8500);
    EXPECT_EQ(narrow.entries[11094], 8500);
    for (int i = 1; i <= wide.last; ++i) ASSERT_LE(wide.entries[i - 1], wide.entries[i]) << i;
    for (int i = 0; i <= narrow.last; ++i)
        ASSERT_EQ(narrow.entries[i], std::min<int>(wide.entries[i], 8500)) << i;
}

// Both bounds saturate, anchors are found exactly, positions between steps interpolate, and
// positions below 0, beyond the end or not finite read back as the ends.
TEST(SignalTables, PrimitivesAtBoundsAnchorsAndBetweenSteps) {
    const float inf = std::numeric_limits<float>::infinity();
    for (const SignalTable* t : {&wide, &narrow}) {
        EXPECT_EQ(tempToSignalIndex(*t, t->upperBound), uint32_t(t->last));
        EXPECT_EQ(tempToSignalIndex(*t, t->upperBound + 1000), uint32_t(t->last));
        EXPECT_EQ(tempToSignalIndex(*t, -450), 0u);
        EXPECT_EQ(tempToSignalIndex(*t, -10000), 0u);
        EXPECT_EQ(signalPosition(*t, int16_t(t->upperBound)), float(t->last));
        EXPECT_EQ(signalPosition(*t, -32768), 0.0f);
        EXPECT_EQ(signalPosition(*t, -450), 0.0f);  // the floor, not the end of its plateau
        EXPECT_EQ(signalToTemp(*t, -5.5f), -450);
        EXPECT_EQ(signalToTemp(*t, float(t->last) + 100.0f), t->upperBound);
        EXPECT_EQ(signalToTemp(*t, inf), t->upperBound);
        EXPECT_EQ(signalToTemp(*t, -inf), -450);
        EXPECT_EQ(signalToTemp(*t, std::numeric_limits<float>::quiet_NaN()), -450);
    }
    EXPECT_EQ(tempToSignalIndex(wide, 518), 2048u);
    EXPECT_EQ(signalPosition(wide, 518), 2048.0f);
    EXPECT_EQ(tempToSignalIndex(wide, 0), 1896u);
    EXPECT_EQ(signalPosition(wide, -449), 1811.2f);  // a fifth of the way to -44.5 degC
}

// The tabulated lookups answer every 16-bit tenths (and 32-bit ones past both bounds) as the
// searches do.
TEST(SignalTables, TabulatedLookupsEqualTheSearches) {
    for (const SignalTable* t : {&wide, &narrow}) {
        for (int32_t tenths = -32768; tenths <= 32767; ++tenths) {
            ASSERT_EQ(tempToSignalIndex(*t, tenths), searchSignalIndex(*t, tenths)) << tenths;
            const auto position = signalPosition(*t, int16_t(tenths));
            ASSERT_EQ(std::bit_cast<uint32_t>(position),
                      std::bit_cast<uint32_t>(searchSignalPosition(*t, int16_t(tenths))))
                << tenths;
        }
        for (int32_t tenths : {std::numeric_limits<int32_t>::min(), 40000, 1 << 30})
            EXPECT_EQ(tempToSignalIndex(*t, tenths), searchSignalIndex(*t, tenths));
    }
}

// The inverse blend undoes the blend across the table range for emissivities from 0.9 within
// 0.3 degC: both directions truncate toward zero (up to 0.1 degC each, the first magnified by
// 1/emissivity). Lower emissivities also magnify it by the ratio of the table's slopes at the
// two temperatures, so no fixed bound holds for them.
TEST(SignalTables, InverseBlendRoundTripsAcrossTheRange) {
    for (const SignalTable* t : {&wide, &narrow}) {
        for (int pct : {90, 94, 98}) {
            for (int ref_t : {-200, 230, 1500}) {
                const uint32_t ref = tempToSignalIndex(*t, ref_t);
                for (int tenths = -400; tenths < t->upperBound - 10; tenths += 37) {
                    const int32_t apparent = apparentFromObject(*t, int16_t(tenths), ref, pct);
                    const int32_t back = objectFromApparent(*t, int16_t(apparent), ref, pct);
                    ASSERT_NEAR(back, tenths, 3)
                        << "table " << t->last << " pct " << pct << " ref " << ref_t;
                }
            }
        }
        // From 0.99 on the target counts as a black body: the apparent temperature is its own.
        EXPECT_EQ(objectFromApparent(*t, 365, tempToSignalIndex(*t, -200), 99), 365);
    }
}

TEST(SignalTables, ConversionsToTenthsTruncateWrapAndSaturate) {
    EXPECT_EQ(toTableTenths(36.59f), 365);
    EXPECT_EQ(toTableTenths(-0.19f), -1);
    EXPECT_EQ(toTableTenths(3276.7f), 32767);
    EXPECT_EQ(toTableTenths(3276.8f), -32768);  // kept in 16 bits: wraps
    EXPECT_EQ(toTableTenths(std::numeric_limits<float>::quiet_NaN()), 0);
    EXPECT_EQ(toTableTenths(1e30f), int16_t(-1));  // saturates to INT32_MAX, low 16 bits
    EXPECT_EQ(toReferenceTenths(1e30f), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(toEmissivityPercent(0.95f), 95);
    EXPECT_EQ(toEmissivityPercent(0.009f), 0);
}

}  // namespace
}  // namespace kmm
