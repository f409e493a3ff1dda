// The Y16 of a temperature through the closed library: the parameter line's offset by range
// mode, segment and slope; the library's value less that offset by model list and form (the
// three-float export, and the record form at the high end of the record grey window); and the
// stand-in's own response from the calibration block it was served.
#include <string>
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

TEST(ParamLine, OffsetBySegmentAndLeanedSlope) {
    const struct { const char* what; std::vector<uint8_t> line; int32_t offset; } rows[] = {
        {"first segment: (2 - 5) x 1.5 + 40", line(2500, 2300), 35},
        {"D at t1 x 100: the base offset", line(2500, 2000), 40},
        {"middle segment: (8 - 5) x 2 + 40", line(2500, 1700), 46},
        {"D at t2 x 100: (10 - 5) x 2 + 40", line(2500, 1500), 50},
        {"last segment: (15 - 10) x 3 + 5 x 2 + 40", line(2500, 1000), 65},
        {"negative D: (-6 - 5) x 1.5 + 40", line(2500, 3100), 23},
        {"R below 2500 leans k1 by 0.2 x 5: (4 - 5) x 2.5 + 40", line(2400, 2000), 37},
        {"R above 2500 leans k2 by 0.3 x 5: (6 - 5) x 3.5 + 40", line(2600, 2000), 43},
        {"R above 2500, first: k1 = -0.4 x -1 + 1.5", line(3000, 2600), 38},
        // k1 = trunc((0.99 x 501 / 100 + 1.5) x 100) / 100 = 6.45 (6.4599 untruncated):
        // (4.01 - 100) x 6.45 + 40 = -579.1355 (-580.09 untruncated).
        {"leaned slope truncated to hundredths",
         scenes::pyroParamLine(1, {{kReadingField, 2400}, {kReferenceField, 1999},
                                   {kFirstBreakField, 100}, {kSecondBreakField, 200},
                                   {kBaseOffsetField, 40}, {kSlope1Field, 150},
                                   {kSlope1Field + 2, 99}}),
         -579},
        {"range mode 0: none", line(2500, 1000, 0), 0},
        {"range mode 2: none", line(2500, 1000, 2), 0},
        {"the high nibble is not the mode", line(2500, 1000, 0x31), 65},
        {"a line one byte short", [] { auto l = line(2500, 1000); l.pop_back(); return l; }(), 0},
    };
    for (const auto& r : rows) EXPECT_EQ(paramLineOffset(r.line), r.offset) << r.what;
}

int16_t recordY16(const char* model, const PyroInputs& in) {
    PyroOutputs out;
    callExport(Export::GreyRecordManual, model, in.param(), out);
    const auto dimming = callsTo("PYRO_DimmingType");
    return dimming.empty() ? PyroOutputs::kUnsetY16 : int16_t(dimming[0]->values[1]);
}

// A library value of 1000 (or -32768) less the line's offset of 40 (or -1, or 1).
TEST_F(PyroTest, Y16ByListAndForm) {
    const struct { const char* model; int16_t offset, library, plain, record; } rows[] = {
        {"DV28", 40, 1000, 960, 960},       {"DV50", -1, 1000, 1001, 1001},
        {"DV19", 1, -32768, 32767, 32767},  // the subtraction wraps
        {"DV34", 40, 1000, 1000, 960},      // the record form only
        {"DV36", 40, 1000, 1000, 1000},     {"XY99", 40, 1000, 1000, 1000},
        {"DV13", 40, 1000, 1000, 1000},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.model);
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(1, r.offset);
        const auto library = faultsWith([&](auto& f) { f.calcY16 = [&](float) { return r.library; }; });
        pyro_test::reset(library);
        PyroOutputs out;
        callExport(Export::Y16, r.model, in.param(), out);
        EXPECT_EQ(out.y16, r.plain);
        pyro_test::reset(library);
        EXPECT_EQ(recordY16(r.model, in), r.record);
    }
}

// The stand-in reads its response from the calibration block, or, unreadable, its defaults.
TEST_F(PyroTest, StandInY16FromItsCalibrationBlock) {
    PyroInputs in;
    in.paramLine = line(2500, 1000, 2);
    const auto y16With = [&](std::vector<uint8_t> calib) {
        in.calib = std::move(calib);
        pyro_test::reset();
        PyroOutputs out;
        callExport(Export::Y16, "XY99", in.param(), out);
        return out.y16;
    };
    const int16_t defaults = y16With(scenes::pyroCalibrationBlock());
    auto badMagic = scenes::pyroCalibrationBlock();
    badMagic[0] = 'X';
    EXPECT_EQ(y16With(badMagic), defaults);
    EXPECT_EQ(y16With(std::vector<uint8_t>(7, 1)), defaults);
    EXPECT_NE(y16With(scenes::pyroCalibrationBlock({364058.0f, 1.0f, 1428.0f, 1.0f, -228.0f},
                                                   {{1.0f, 1000.0f, 1.0f}})),
              defaults);
}

}  // namespace
}  // namespace kmm
