// Temperatures through the closed library: frames synthesised from known temperatures
// measure back, the three exports agree, the offset reaches the frame only after ISP and only
// for the listed models, and every refused or failed call leaves its outputs untouched.
#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr float kSentinel = -999.0f;

// The journal from the operation's first call on (after the instance set-up).
std::vector<std::string> operationLines() {
    auto lines = journalLines();
    return {std::find(lines.begin(), lines.end(), "PYRO_BaseControl 14: 0"), lines.end()};
}

// Frames made by the Y16 export measure back. With range mode 1 the standard list's Y16 has
// the offset taken off and the matrix puts it back; the point form measures the value as given.
TEST_F(PyroTest, Y16OfKnownTemperaturesMeasuresBackInAllThreeForms) {
    struct Case {
        const char* model;
        int rangeMode;
        float to, step;
    };
    for (const Case c : {Case{"XY99", 2, 650, 15}, Case{"DV28", 1, 650, 15},
                         Case{"DV35", 2, 2000, 40}}) {
        SCOPED_TRACE(c.model);
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
        std::vector<float> truth;
        std::vector<uint16_t> frame;
        for (float t = -20; t <= c.to; t += c.step) {
            truth.push_back(t);
            frame.push_back(uint16_t(y16Plain(c.model, in, t)));
        }
        in.frame = frame;
        in.width = int(truth.size());
        in.height = 1;
        std::vector<float> plain(truth.size(), kSentinel), record(truth.size(), kSentinel);
        measureMatrix(c.model, in.param(), plain.data());
        PYRO_MEASUREPARAM m{0.95f, 2.0f, 23.0f, 0, 0, 0};
        KestrelModuleMeasureMin::tempwithpyroDll(c.model, record.data(), in.param(), m);
        EXPECT_EQ(plain, record);
        for (size_t i = 0; i < truth.size(); ++i) {
            // Inverse within 0.1 degC to 650 degC; the fire range is coarser beyond.
            ASSERT_NEAR(plain[i], truth[i], truth[i] <= 650.0f ? 0.1f : 0.25f) << truth[i];
            // The fire range stays increasing and positive as a signed 16-bit value.
            if (i > 0 && c.to > 650) {
                ASSERT_GT(int16_t(in.frame[i]), int16_t(in.frame[i - 1]));
            }
            float point = kSentinel;
            measurePoint(c.model, in.param(), in.frame[i], &point);
            if (c.rangeMode == 2) {
                EXPECT_EQ(point, plain[i]);
            }
        }
    }
}

TEST_F(PyroTest, OffsetReachesTheFrameAfterIspForTheListedModelsOnly) {
    struct Case {
        const char* model;
        int rangeMode;
        int16_t offset;
        bool applied;
    };
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
        GuardedBuffer<float> out(12, kSentinel);
        measureMatrix(c.model, in.param(), out.data());
        auto expected = in.frame;
        if (c.applied)
            for (auto& s : expected) s = uint16_t(s + uint16_t(c.offset));  // modulo 65536
        const auto isp = callsTo("PYRO_ISP");
        const auto measure = callsTo("PYRO_MeasureTempMatrix");
        ASSERT_EQ(isp.size(), 1u);
        ASSERT_EQ(measure.size(), 1u);
        EXPECT_EQ(isp[0]->samples, in.frame);
        EXPECT_EQ(measure[0]->samples, expected);
        EXPECT_NE(out[0], kSentinel);
        EXPECT_TRUE(out.canariesIntact());
    }
}

TEST_F(PyroTest, OperationSequenceOfMatrixRecordAndPointForms) {
    using Lines = std::vector<std::string>;
    PyroInputs in;
    GuardedBuffer<float> out(12, kSentinel);
    measureMatrix("DV28", in.param(), out.data(), 0.5f, 3.0f, 30.0f);
    EXPECT_EQ(operationLines(),
              (Lines{"PYRO_BaseControl 14: 0", "PYRO_SetScene 32 24 16 1 1 1",
                     "PYRO_MeasureControl 1: 0.5", "PYRO_MeasureControl 0: 3",
                     "PYRO_MeasureControl 3: 30", "PYRO_MeasureControl 10: 1",
                     "PYRO_MeasureControl 9: 1", "PYRO_UpdateParamLine 822", "PYRO_ISP 24",
                     "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12", "PYRO_Uninit"}));
    pyro_test::reset();
    in.withSceneC = false;
    PYRO_MEASUREPARAM m{0.5f, 3.0f, 30.0f, 4, 5, 6};
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", out.data(), in.param(), m);
    EXPECT_EQ(operationLines(),
              (Lines{"PYRO_BaseControl 14: 0", "PYRO_SetScene 32 24 0 1 1 0",
                     "PYRO_MeasureControl 1: 0.5", "PYRO_MeasureControl 0: 3",
                     "PYRO_MeasureControl 3: 30", "PYRO_MeasureControl 2: 4",
                     "PYRO_MeasureControl 22: 5", "PYRO_MeasureControl 4: 6",
                     "PYRO_MeasureControl 10: 1", "PYRO_MeasureControl 9: 1", "PYRO_ISP 24",
                     "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12", "PYRO_Uninit"}));
    // The record's own fields, not copies, go to the library.
    const void* fields[] = {&m.measure1, &m.measure2, &m.measure3,
                            &m.measure4, &m.measure5, &m.measure6};
    const auto controls = callsTo("PYRO_MeasureControl");
    ASSERT_GE(controls.size(), 8u);
    for (int i = 0; i < 6; ++i) EXPECT_EQ((controls.end() - 8)[i]->address, fields[i]) << i;
    // The point form hands the value and four settings after ISP.
    pyro_test::reset();
    float point = kSentinel;
    measurePoint("DV36", PyroInputs{}.param(), 4321, &point, 7.0f, 0.5f, 3.0f, 30.0f);
    const auto lines = operationLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
              (Lines{"PYRO_ISP 24", "PYRO_MeasureAnalysisTempPoint 4321 0.5 3 7 30", "PYRO_Uninit"}));
    EXPECT_NE(point, kSentinel);
}

// A refused scene or a failed init ends the call with every output as it was, and an
// opened instance is still closed.
TEST_F(PyroTest, RefusedSceneOrFailedInitWritesNothing) {
    struct Case {
        const char* what;
        pyro_test::Faults faults;
        std::vector<std::string> tail;
    };
    const std::vector<Case> cases = {
        {"scene refused", faultsWith([](auto& f) { f.setSceneResult = 3; }),
         {"PYRO_BaseControl 14: 0", "PYRO_SetScene 32 24 16 1 1 1", "PYRO_Uninit"}},
        {"init failed", faultsWith([](auto& f) { f.initFails = true; }), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PyroInputs in;
        GuardedBuffer<float> matrix(12, kSentinel);
        float point = kSentinel;
        PYRO_MEASUREPARAM m{0.95f, 1.0f, 20.0f, 0, 0, 0};
        for (int form = 0; form < 3; ++form) {
            pyro_test::reset(c.faults);
            if (form == 0) measureMatrix("DV28", in.param(), matrix.data());
            if (form == 1) KestrelModuleMeasureMin::tempwithpyroDll("DV28", matrix.data(), in.param(), m);
            if (form == 2) measurePoint("DV28", in.param(), 100, &point);
            EXPECT_EQ(operationLines(), c.tail) << "form " << form;
        }
        EXPECT_EQ(matrix.contents(), std::vector<float>(12, kSentinel));
        EXPECT_TRUE(matrix.canariesIntact());
        EXPECT_EQ(point, kSentinel);
    }
}

// Bad arguments reach no library call and write no output, in all three forms.
TEST_F(PyroTest, BadArgumentsCallNothingAndWriteNothing) {
    struct Case {
        const char* what;
        const char* model;
        void (*spoil)(PYRO_PARAM&);
    };
    const Case cases[] = {
        {"null model", nullptr, [](PYRO_PARAM&) {}},
        {"short frame", "DV28", [](PYRO_PARAM& p) { p.y16Count = 11; }},
        {"non-positive count", "DV28", [](PYRO_PARAM& p) { p.y16Count = 0; }},
        {"null frame", "XY99", [](PYRO_PARAM& p) { p.y16Data = nullptr; }},
        {"zero width", "XY99", [](PYRO_PARAM& p) { p.width = 0; }},
        {"negative height", "DV28", [](PYRO_PARAM& p) { p.height = uint32_t(-3); }},
        {"null calibration", "XY99", [](PYRO_PARAM& p) { p.calibData = nullptr; }},
        {"null scene A", "XY99", [](PYRO_PARAM& p) { p.sceneA = nullptr; }},
        {"null scene B", "XY99", [](PYRO_PARAM& p) { p.sceneB = nullptr; }},
        {"short line", "DV34", [](PYRO_PARAM& p) { p.paramLineLength = 821; }},
        {"no line", "DV21-W", [](PYRO_PARAM& p) { p.paramLine = nullptr; }},
    };
    PyroInputs in;
    PYRO_MEASUREPARAM m{};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PYRO_PARAM p = in.param();
        c.spoil(p);
        GuardedBuffer<float> matrix(12, kSentinel);
        float point = kSentinel;
        pyro_test::reset();
        KestrelModuleMeasureMin::tempwithpyroDll(c.model, matrix.data(), p, m);
        measureMatrix(c.model, p, matrix.data(), 1, 1, 1);
        measurePoint(c.model, p, 5, &point, 0, 1, 1, 1);
        EXPECT_TRUE(pyro_test::journal().empty());
        EXPECT_EQ(matrix.contents(), std::vector<float>(12, kSentinel));
        EXPECT_EQ(point, kSentinel);
    }
    // Null outputs.
    pyro_test::reset();
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", nullptr, in.param(), m);
    measureMatrix("DV28", in.param(), nullptr);
    measurePoint("DV28", in.param(), 5, nullptr);
    EXPECT_TRUE(pyro_test::journal().empty());
}

TEST_F(PyroTest, ExceptionInsideTheCallStillClosesTheInstance) {
    for (const char* where : {"PYRO_Register", "PYRO_ISP", "PYRO_MeasureTempMatrix"}) {
        SCOPED_TRACE(where);
        pyro_test::reset(faultsWith([where](auto& f) { f.throwIn = where; }));
        std::vector<float> out(12, kSentinel);
        EXPECT_THROW(measureMatrix("DV35", PyroInputs{}.param(), out.data()), std::bad_alloc);
        EXPECT_EQ(pyro_test::liveInstances(), 0);
        EXPECT_EQ(callsTo("PYRO_Uninit").size(), 1u);
        EXPECT_EQ(out, std::vector<float>(12, kSentinel));
    }
}

}  // namespace
}  // namespace kmm
