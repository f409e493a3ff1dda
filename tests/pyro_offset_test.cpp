// paramLineOffset against hand-worked values: each segment, the break points themselves,
// R at, below and above 2500 (with the hundredths truncation of the leaned slope), and the
// range mode that switches it on.
#include <vector>

#include "pyro/param_line.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

// Slopes 1.5 / 2.0 / 3.0 per unit, leaning by 0.2 / 0.1 below 2500 and -0.4 / 0.3 above;
// break points 5 and 10 units, base offset 40.
std::vector<uint8_t> line(int16_t reading, int16_t reference, int rangeMode = 1) {
    return scenes::pyroParamLine(rangeMode, {{kReadingField, reading}, {kReferenceField, reference},
                                             {kFirstBreakField, 5}, {kSecondBreakField, 10},
                                             {kBaseOffsetField, 40}, {kSlope1Field, 150},
                                             {kSlope1Field + 2, 20}, {kSlope1Field + 4, -40},
                                             {kSlope2Field, 200}, {kSlope2Field + 2, 10},
                                             {kSlope2Field + 4, 30}, {kSlope3Field, 300}});
}

std::vector<uint8_t> cut(std::vector<uint8_t> l) {
    l.resize(821);
    return l;
}

TEST(PyroParamLineOffset, HandWorkedValuesBySegmentLeanAndRangeMode) {
    struct Case {
        const char* what;
        std::vector<uint8_t> line;
        int32_t expected;
    };
    const Case cases[] = {
        // R = 2500: the base slopes.
        {"first segment", line(2500, 2300), 35},       // (2 - 5) * 1.5 + 40 = 35.5
        {"D at t1 * 100", line(2500, 2000), 40},       // off exactly
        {"middle segment", line(2500, 1700), 46},      // (8 - 5) * 2 + 40
        {"D at t2 * 100", line(2500, 1500), 50},       // (10 - 5) * 2 + 40
        {"last segment", line(2500, 1000), 65},        // (15 - 10) * 3 + 5 * 2 + 40
        {"negative D", line(2500, 3100), 23},          // (-6 - 5) * 1.5 + 40 = 23.5
        // R below 2500 leans k1 by 0.2 * (2500 - Q) / 100: 1.5 + 1.0 = 2.5.
        {"below 2500, first", line(2400, 2000), 37},   // (4 - 5) * 2.5 + 40 = 37.5
        // R above 2500 leans k2 by 0.3 * 5: 3.5.
        {"above 2500, middle", line(2600, 2000), 43},  // (6 - 5) * 3.5 + 40 = 43.5
        {"above 2500, first", line(3000, 2600), 38},   // k1 = -0.4 * -1 + 1.5 = 1.9: 38.1
        // k1 = trunc((0.99 * 501 / 100 + 1.5) * 100) / 100 = 6.45 (6.4599 untruncated);
        // D = 401, t1 = 100: (4.01 - 100) * 6.45 + 40 = -579.1355 (-580.09 untruncated).
        {"leaned slope truncated to hundredths",
         scenes::pyroParamLine(1, {{kReadingField, 2400}, {kReferenceField, 1999},
                                   {kFirstBreakField, 100}, {kSecondBreakField, 200},
                                   {kBaseOffsetField, 40}, {kSlope1Field, 150},
                                   {kSlope1Field + 2, 99}}),
         -579},
        {"range mode 0", line(2500, 1000, 0), 0},
        {"range mode 2", line(2500, 1000, 2), 0},
        {"high nibble is not the mode", line(2500, 1000, 0x31), 65},
        {"short line", cut(line(2500, 1000)), 0},
        {"empty line", {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(paramLineOffset(c.line), c.expected);
    }
    EXPECT_EQ(rangeMode(line(0, 0, 0x2E)), 14);
}

}  // namespace
}  // namespace kmm
