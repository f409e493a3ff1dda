// Temperatures and Y16 values through the closed library: the per-call set-up by model list,
// the offset of the parameter line by range mode, segment and slope, where it reaches the
// frame and the Y16, and each operation's calls in order.
#include <algorithm>
#include <string>
#include <vector>

#include "pyro/param_line.h"
#include "pyro/pyro_context.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

bool sent(const Lines& lines, const Lines& run) {
    return std::search(lines.begin(), lines.end(), run.begin(), run.end()) != lines.end();
}

TEST_F(PyroTest, OpenSendsTheSetUpOfItsList) {
    const Lines mode1 = {measure(PYRO_MEASURE_WINDOW_MODE1, {11.5, 110}),
                         measure(PYRO_MEASURE_WINDOW_MODE1_END, {110})};
    const Lines mode2 = {measure(PYRO_MEASURE_WINDOW_MODE2, {0, 1}),
                         measure(PYRO_MEASURE_WINDOW_MODE2_END, {1})};
    const Lines other = {measure(PYRO_MEASURE_WINDOW_OTHER, {0, 0}),
                         measure(PYRO_MEASURE_WINDOW_OTHER_END, {0})};
    const struct {
        const char* model;
        bool sceneC;
        int rangeMode;
        const Lines* window;  // the fire list's; null for the others
        bool baseLevel;
    } cases[] = {
        {"DV34", true, 1, &mode1, true}, {"DV34-W", false, 2, &mode2, true},
        {"DV39", true, 3, &other, true}, {"DV28", true, 1, nullptr, true},
        {"DV50", false, 2, nullptr, true}, {"DV07", true, 1, nullptr, false},
        {"dv28", false, 1, nullptr, false}, {"", true, 1, nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset();
        PyroInputs in;
        in.withSceneC = c.sceneC, in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
        EXPECT_TRUE(PyroContext(c.model, in.param()).open());
        const Lines lines = journalLines();
        const bool fire = c.window != nullptr, sceneC = fire || c.sceneC;
        EXPECT_EQ(lines.front(), sceneC ? "PYRO_Init 2 1 4 3 3" : "PYRO_Init 2 3 4 3 0");
        EXPECT_EQ(lines.back(), "PYRO_Uninit");
        EXPECT_TRUE(sent(lines, {"PYRO_Register " + std::to_string(in.calib.size()) + " 1"}));
        EXPECT_EQ(sent(lines, {measure(PYRO_MEASURE_SCENE_C, {1})}), sceneC);
        EXPECT_EQ(sent(lines, {base(PYRO_BASE_LEVEL, {77})}), c.baseLevel);
        EXPECT_EQ(sent(lines, kImagePreset), fire);
        for (const Lines* window : {&mode1, &mode2, &other})
            EXPECT_EQ(sent(lines, *window), window == c.window);
        EXPECT_EQ(sent(lines, {"PYRO_FireDRCInit 4 3 0",
                               "PYRO_FireDRCSetParams 256 108 256 256 128 80 2 2 30 32 11"}),
                  fire);
    }
}

TEST_F(PyroTest, OffsetReachesTheFrameAfterIspForTheListedModelsOnly) {
    struct Case { const char* model; int rangeMode; int16_t offset; bool applied; };
    const Case cases[] = {
        {"DV28", 1, 40, true},  {"DV35", 1, -1, true},    {"DV28", 2, 40, false},
        {"DV34-W", 0, -1, false}, {"XY99", 1, -1, false}, {"DV07", 1, 40, false},
        {"", 1, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset();
        PyroInputs in;
        in.frame[0] = 0, in.frame[11] = 65535;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, c.offset);
        PyroOutputs out;
        const auto callers = in.frame;
        callExport(Export::Matrix, c.model, in.param(), out);
        EXPECT_EQ(in.frame, callers);  // the offset goes to the library's copy only
        auto expected = in.frame;
        if (c.applied)
            for (auto& s : expected) s = uint16_t(s + uint16_t(c.offset));  // modulo 65536
        const auto isp = callsTo("PYRO_ISP");
        const auto measured = callsTo("PYRO_MeasureTempMatrix");
        ASSERT_EQ(isp.size(), 1u);
        ASSERT_EQ(measured.size(), 1u);
        EXPECT_EQ(isp[0]->samples, in.frame);
        EXPECT_EQ(measured[0]->samples, expected);
        EXPECT_NE(out.matrix[0], PyroOutputs::kUnset);
    }
}

// Settings 0.5, 3 and 30; the library's Y16 is 10 x degC.
TEST_F(PyroTest, OperationSequenceOfEachForm) {
    const auto begin = [](const char* scene, bool record) {
        Lines lines = {base(PYRO_BASE_OUTPUT, {0}), std::string("PYRO_SetScene ") + scene,
                       measure(PYRO_MEASURE_SETTING1, {0.5}), measure(PYRO_MEASURE_SETTING2, {3}),
                       measure(PYRO_MEASURE_SETTING3, {30})};
        if (record)
            lines = lines + Lines{measure(PYRO_MEASURE_SETTING4, {4}), measure(PYRO_MEASURE_SETTING5, {5}),
                                  measure(PYRO_MEASURE_SETTING6, {6})};
        return lines + Lines{measure(PYRO_MEASURE_RUN_A, {1}), measure(PYRO_MEASURE_RUN_B, {1})};
    };
    const std::string withC = "32 24 16 1 1 1", withoutC = "32 24 0 1 1 0";
    const std::string matrix = "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12";
    struct Case { Export form; const char* model; bool sceneC; Lines expected; };
    const Case cases[] = {
        {Export::Matrix, "DV28", true, begin(withC.c_str(), false) +
             Lines{"PYRO_UpdateParamLine 822", "PYRO_ISP 24", matrix, "PYRO_Uninit"}},
        {Export::MatrixRecord, "DV28", false,
         begin(withoutC.c_str(), true) + Lines{"PYRO_ISP 24", matrix, "PYRO_Uninit"}},
        {Export::Point, "DV36", true, begin(withC.c_str(), false) +
             Lines{"PYRO_UpdateParamLine 822", "PYRO_ISP 24",
                   "PYRO_MeasureAnalysisTempPoint 4321 0.5 3 7 30", "PYRO_Uninit"}},
        // The fire list converts without the frame or the parameter line.
        {Export::Y16, "DV36", true,
         begin(withC.c_str(), false) + Lines{"PYRO_CalcY16ByTemp 36.5 365", "PYRO_Uninit"}},
        {Export::Y16, "DV28", false, begin(withoutC.c_str(), false) +
             Lines{"PYRO_ISP 24", "PYRO_CalcY16ByTemp 36.5 365", "PYRO_Uninit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(nameOf(c.form)) + " " + c.model);
        pyro_test::reset(fixedY16([](float t) { return int16_t(t * 10.0f); }));
        PyroInputs in;
        in.withSceneC = c.sceneC;
        PyroOutputs out;
        callExport(c.form, c.model, in.param(), out, {.measure1 = 0.5f, .measure2 = 3.0f, .measure3 = 30.0f});
        EXPECT_EQ(operationLines(), c.expected);
        EXPECT_FALSE(out.untouched());
    }
}

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
        {"R above 2500 leans k2 by 0.3 x 8: (9 - 5) x 4.4 + 40", line(2600, 1700), 57},
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
    const std::vector<uint8_t> endsInAField(kBaseLevelField + 1, 0x7F);  // its second byte missing
    EXPECT_EQ(paramField(endsInAField, kBaseLevelField), 0);
    const std::vector<uint8_t> modeOneAfter(153, 1);  // a line ending just before its range-mode byte, 152
    EXPECT_EQ(rangeMode(std::span(modeOneAfter).first(152)), 0);
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

}  // namespace
}  // namespace kmm
