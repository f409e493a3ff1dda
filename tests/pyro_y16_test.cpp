// The Y16 of a temperature through the closed library, in the three-float form (its export)
// and the record form (the high end of the record grey mapping's window): the library's value
// less the parameter line's offset, by model list, range mode and the offset's segments and
// slopes; and the stand-in's own response from the calibration block it was served.
#include <string>
#include <vector>

#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr int32_t kStandIn = -100000;      // no fixed library value: the stand-in's response
constexpr int32_t kAsDefaults = -100001;   // what the stand-in's default calibration gives
constexpr int32_t kNotDefaults = -100002;  // anything else

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

int16_t recordY16(const char* model, const PyroInputs& in) {
    PyroOutputs out;
    callExport(Export::GreyRecordManual, model, in.param(), out);
    const auto dimming = callsTo("PYRO_DimmingType");
    return dimming.empty() ? PyroOutputs::kUnsetY16 : int16_t(dimming[0]->values[1]);
}

TEST_F(PyroTest, Y16ByListFormAndParameterLine) {
    struct Case {
        const char* what;
        const char* model;
        std::vector<uint8_t> line;
        int32_t library, plain, record;
        std::vector<uint8_t> calib = scenes::pyroCalibrationBlock();
    };
    auto badMagic = scenes::pyroCalibrationBlock();
    badMagic[0] = 'X';
    const Case cases[] = {
        // The offset, R = 2500: the base slopes.
        {"first segment: (2 - 5) x 1.5 + 40 = 35.5", "DV28", line(2500, 2300), 1000, 965, 965},
        {"D at t1 x 100: the base offset", "DV28", line(2500, 2000), 1000, 960, 960},
        {"middle segment: (8 - 5) x 2 + 40", "DV28", line(2500, 1700), 1000, 954, 954},
        {"D at t2 x 100: (10 - 5) x 2 + 40", "DV28", line(2500, 1500), 1000, 950, 950},
        {"last segment: (15 - 10) x 3 + 5 x 2 + 40", "DV28", line(2500, 1000), 1000, 935, 935},
        {"negative D: (-6 - 5) x 1.5 + 40 = 23.5", "DV28", line(2500, 3100), 1000, 977, 977},
        // R below 2500 leans k1 by 0.2 x (2500 - Q) / 100: (4 - 5) x 2.5 + 40 = 37.5.
        {"below 2500, first segment", "DV28", line(2400, 2000), 1000, 963, 963},
        // R above 2500 leans k2 by 0.3 x 5: (6 - 5) x 3.5 + 40 = 43.5.
        {"above 2500, middle segment", "DV28", line(2600, 2000), 1000, 957, 957},
        {"above 2500, first: k1 = -0.4 x -1 + 1.5", "DV28", line(3000, 2600), 1000, 962, 962},
        // k1 = trunc((0.99 x 501 / 100 + 1.5) x 100) / 100 = 6.45 (6.4599 untruncated);
        // (4.01 - 100) x 6.45 + 40 = -579.1355 (-580.09 untruncated).
        {"leaned slope truncated to hundredths", "DV28",
         scenes::pyroParamLine(1, {{kReadingField, 2400}, {kReferenceField, 1999},
                                   {kFirstBreakField, 100}, {kSecondBreakField, 200},
                                   {kBaseOffsetField, 40}, {kSlope1Field, 150},
                                   {kSlope1Field + 2, 99}}),
         1000, 1579, 1579},
        {"range mode 0: no offset", "DV28", line(2500, 1000, 0), 1000, 1000, 1000},
        {"range mode 2: no offset", "DV28", line(2500, 1000, 2), 1000, 1000, 1000},
        {"the high nibble is not the mode", "DV28", line(2500, 1000, 0x31), 1000, 935, 935},
        // By list and form, offset 40.
        {"negative offset", "DV50", PyroInputs::withOffset(1, -1), 1000, 1001, 1001},
        {"the subtraction wraps", "DV19", PyroInputs::withOffset(1, 1), -32768, 32767, 32767},
        {"DV34: the record form only", "DV34", PyroInputs::withOffset(1, 40), 1000, 1000, 960},
        {"other fire models: never", "DV36", PyroInputs::withOffset(1, 40), 1000, 1000, 1000},
        {"unlisted: never", "XY99", PyroInputs::withOffset(1, 40), 1000, 1000, 1000},
        {"DV13: never", "DV13", PyroInputs::withOffset(1, 40), 1000, 1000, 1000},
        // The stand-in's response comes from its calibration block or, unreadable, defaults.
        {"stand-in, calibration read", "XY99", line(2500, 1000, 2), kStandIn, kNotDefaults,
         kNotDefaults,
         scenes::pyroCalibrationBlock({364058.0f, 1.0f, 1428.0f, 1.0f, -228.0f}, {{1.0f, 1000.0f, 1.0f}})},
        {"stand-in, bad magic", "XY99", line(2500, 1000, 2), kStandIn, kAsDefaults, kAsDefaults,
         badMagic},
        {"stand-in, 7 bytes", "XY99", line(2500, 1000, 2), kStandIn, kAsDefaults, kAsDefaults,
         std::vector<uint8_t>(7, 1)},
    };
    const auto faults = [](int32_t library) {
        if (library == kStandIn) return pyro_test::Faults{};
        return faultsWith([=](auto& f) { f.calcY16 = [=](float) { return int16_t(library); }; });
    };
    const auto expect = [](int32_t expected, int32_t actual, int32_t theDefault) {
        if (expected == kNotDefaults) {
            EXPECT_NE(actual, theDefault);
        } else {
            EXPECT_EQ(actual, expected == kAsDefaults ? theDefault : int16_t(expected));
        }
    };
    PyroInputs reference;
    reference.paramLine = line(2500, 1000, 2);
    PyroOutputs defaults;
    callExport(Export::Y16, "XY99", reference.param(), defaults);
    const int32_t defaultRecord = recordY16("XY99", reference);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + ", " + c.what);
        PyroInputs in;
        in.paramLine = c.line;
        in.calib = c.calib;
        PyroOutputs out;
        pyro_test::reset(faults(c.library));
        callExport(Export::Y16, c.model, in.param(), out);
        expect(c.plain, out.y16, defaults.y16);
        pyro_test::reset(faults(c.library));
        expect(c.record, recordY16(c.model, in), defaultRecord);
    }
}

}  // namespace
}  // namespace kmm
