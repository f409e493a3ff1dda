// Temperatures and Y16 values through the closed library: frames synthesised from known
// temperatures measure back in every form, the offset reaches the frame only after ISP and
// only for the listed models, and each operation's calls in order.
#include <string>
#include <vector>

#include "pyro_fixture.h"

namespace kmm {
namespace {

// Frames made by the Y16 export measure back. With range mode 1 the standard list's Y16 has
// the offset taken off and the matrix puts it back; the point form measures the value as given.
TEST_F(PyroTest, Y16OfKnownTemperaturesMeasuresBackInAllThreeForms) {
    struct Case { const char* model; int rangeMode; float to, step; };
    for (const Case c : {Case{"XY99", 2, 650, 15}, Case{"DV28", 1, 650, 15},
                         Case{"DV35", 2, 2000, 40}}) {
        SCOPED_TRACE(c.model);
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
        std::vector<float> truth;
        std::vector<uint16_t> frame;
        for (float t = -20; t <= c.to; t += c.step) {
            PyroOutputs out;
            callExport(Export::Y16, c.model, in.param(), out, {.temperature = t});
            truth.push_back(t);
            frame.push_back(uint16_t(out.y16));
        }
        in.frame = frame;
        in.width = int(truth.size());
        in.height = 1;
        PyroOutputs matrix(truth.size()), record(truth.size());
        callExport(Export::Matrix, c.model, in.param(), matrix);
        callExport(Export::MatrixRecord, c.model, in.param(), record);
        const std::vector<float> plain = matrix.matrix.contents();
        EXPECT_EQ(plain, record.matrix.contents());
        for (size_t i = 0; i < truth.size(); ++i) {
            // Inverse within 0.1 degC to 650 degC; the fire range is coarser beyond.
            ASSERT_NEAR(plain[i], truth[i], truth[i] <= 650.0f ? 0.1f : 0.25f) << truth[i];
            // The fire range stays increasing and positive as a signed 16-bit value.
            if (i > 0 && c.to > 650) {
                ASSERT_GT(int16_t(frame[i]), int16_t(frame[i - 1]));
            }
            PyroOutputs point;
            callExport(Export::Point, c.model, in.param(), point, {.pointY16 = frame[i]});
            if (c.rangeMode == 2) {
                EXPECT_EQ(point.point, plain[i]);
            }
        }
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
        in.frame[0] = 0;
        in.frame[11] = 65535;
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
            lines = lines + Lines{measure(PYRO_MEASURE_SETTING4, {4}),
                                  measure(PYRO_MEASURE_SETTING5, {5}),
                                  measure(PYRO_MEASURE_SETTING6, {6})};
        return lines + Lines{measure(PYRO_MEASURE_RUN_A, {1}), measure(PYRO_MEASURE_RUN_B, {1})};
    };
    const std::string withC = "32 24 16 1 1 1", withoutC = "32 24 0 1 1 0";
    const std::string matrix = "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12";
    struct Case { Export form; const char* model; bool sceneC; Lines expected; };
    const Case cases[] = {
        {Export::Matrix, "DV28", true,
         begin(withC.c_str(), false) +
             Lines{"PYRO_UpdateParamLine 822", "PYRO_ISP 24", matrix, "PYRO_Uninit"}},
        {Export::MatrixRecord, "DV28", false,
         begin(withoutC.c_str(), true) + Lines{"PYRO_ISP 24", matrix, "PYRO_Uninit"}},
        {Export::Point, "DV36", true,
         begin(withC.c_str(), false) +
             Lines{"PYRO_UpdateParamLine 822", "PYRO_ISP 24",
                   "PYRO_MeasureAnalysisTempPoint 4321 0.5 3 7 30", "PYRO_Uninit"}},
        // The fire list converts without the frame or the parameter line.
        {Export::Y16, "DV36", true,
         begin(withC.c_str(), false) + Lines{"PYRO_CalcY16ByTemp 36.5 365", "PYRO_Uninit"}},
        {Export::Y16, "DV28", false,
         begin(withoutC.c_str(), false) +
             Lines{"PYRO_ISP 24", "PYRO_CalcY16ByTemp 36.5 365", "PYRO_Uninit"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(nameOf(c.form)) + " " + c.model);
        pyro_test::reset(fixedY16([](float t) { return int16_t(t * 10.0f); }));
        PyroInputs in;
        in.withSceneC = c.sceneC;
        PyroOutputs out;
        callExport(c.form, c.model, in.param(), out, {.measure1 = 0.5f, .measure2 = 3.0f,
                                                      .measure3 = 30.0f});
        EXPECT_EQ(operationLines(), c.expected);
        EXPECT_FALSE(out.untouched());
    }
    // The record's own fields, not copies, go to the library.
    pyro_test::reset();
    PYRO_MEASUREPARAM m{0.5f, 3.0f, 30.0f, 4, 5, 6};
    PyroOutputs out;
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", out.matrix.data(), PyroInputs{}.param(), m);
    const void* fields[] = {&m.measure1, &m.measure2, &m.measure3,
                            &m.measure4, &m.measure5, &m.measure6};
    const auto controls = callsTo("PYRO_MeasureControl");
    ASSERT_GE(controls.size(), 8u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ((controls.end() - 8)[i]->address, fields[i]) << i;
}

}  // namespace
}  // namespace kmm
