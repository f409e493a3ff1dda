// Temperatures through the closed library: frames synthesised from known temperatures
// measure back, the three exports agree, the offset reaches the frame only after ISP and only
// for the listed models, and every refused or failed call leaves its outputs untouched.
#include <algorithm>
#include <cmath>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "guarded_buffer.h"
#include "pyro/pyro_context.h"
#include "pyro/pyro_operation.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr float kSentinel = -999.0f;

// Y16 of each temperature as the stand-in computes it under the same settings and model.
std::vector<uint16_t> y16Of(const char* model, const std::vector<float>& temps,
                            const MeasureSettings& settings) {
    PyroInputs in;
    in.paramLine = PyroInputs::withOffset(2, 0);
    PyroContext ctx;
    contextCreate(ctx);
    const ContextCloser closer{ctx};
    contextLoad(ctx, in.param());
    contextOpen(ctx, model);
    EXPECT_TRUE(beginOperation(ctx, settings));
    std::vector<uint16_t> out;
    for (float t : temps) {
        int16_t y = 0;
        PYRO_CalcY16ByTemp(ctx.handle, t, &y);
        out.push_back(uint16_t(y));
    }
    return out;
}

void measureMatrix(const char* model, const PyroInputs& in, float* out, float m1 = 0.95f,
                   float m2 = 2.0f, float m3 = 23.0f) {
    const PYRO_PARAM p = in.param();
    getNewTempWithPyro_dll(model, in.width, in.height, p.y16Data, p.y16Count, p.calibData,
                           p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                           p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, out, m1, m2,
                           m3);
}

void measurePoint(const char* model, const PyroInputs& in, uint16_t y16, float* out,
                  float pointExtra = 7.0f, float m1 = 0.95f, float m2 = 2.0f, float m3 = 23.0f) {
    const PYRO_PARAM p = in.param();
    getNewTemperatureWithPYROByY16(model, in.width, in.height, p.y16Data, p.y16Count, y16,
                                   p.calibData, p.calibLength, p.sceneB, p.sceneBLength,
                                   p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength,
                                   p.paramLine, p.paramLineLength, out, m1, m2, m3, pointExtra);
}

// The journal from the operation's first call on (after the instance set-up).
std::vector<std::string> operationLines() {
    auto lines = journalLines();
    auto first = std::find(lines.begin(), lines.end(), "PYRO_BaseControl 14: 0");
    return {first, lines.end()};
}

TEST_F(PyroTest, SynthesisedFramesMeasureBackInAllThreeForms) {
    struct Case {
        const char* model;
        float from, to, step;
    };
    const Case cases[] = {{"XY99", -20, 650, 5}, {"DV28", -20, 650, 5}, {"DV35", -20, 2000, 10}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        std::vector<float> truth;
        for (float t = c.from; t <= c.to; t += c.step) truth.push_back(t);
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(2, 0);
        in.frame = y16Of(c.model, truth, {0.95f, 2.0f, 23.0f});
        in.width = int(truth.size());
        in.height = 1;

        std::vector<float> plain(truth.size(), kSentinel), record(truth.size(), kSentinel);
        measureMatrix(c.model, in, plain.data());
        PYRO_MEASUREPARAM m{0.95f, 2.0f, 23.0f, 0, 0, 0};
        KestrelModuleMeasureMin::tempwithpyroDll(c.model, record.data(), in.param(), m);
        EXPECT_EQ(plain, record);
        for (size_t i = 0; i < truth.size(); ++i) {
            // Inverse within 0.1 degC to 650 degC; the fire range is coarser beyond.
            const float tolerance = truth[i] <= 650.0f ? 0.1f : 0.25f;
            ASSERT_NEAR(plain[i], truth[i], tolerance) << "at " << truth[i] << " degC";
            if (i > 0 && c.model == std::string("DV35")) {
                // The fire range stays increasing and positive as a signed 16-bit value.
                ASSERT_GT(int16_t(in.frame[i]), int16_t(in.frame[i - 1]));
            }
        }
        for (size_t i : {size_t(0), truth.size() / 2, truth.size() - 1}) {
            float point = kSentinel;
            measurePoint(c.model, in, in.frame[i], &point);
            EXPECT_EQ(point, plain[i]);
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
        {"DV28", 1, 40, true},   {"DV50", 1, -1, true},   {"DV35", 1, -1, true},
        {"DV28", 2, 40, false},  {"DV34-W", 0, -1, false}, {"XY99", 1, -1, false},
        {"DV07", 1, 40, false},  {"", 1, 40, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset();
        PyroInputs in;
        in.frame[0] = 0;
        in.frame[11] = 65535;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, c.offset);
        GuardedBuffer<float> out(12, kSentinel);
        measureMatrix(c.model, in, out.data());
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

TEST_F(PyroTest, MatrixOperationSequenceInBothForms) {
    PyroInputs in;
    GuardedBuffer<float> out(12, kSentinel);
    measureMatrix("DV28", in, out.data(), 0.5f, 3.0f, 30.0f);
    const std::vector<std::string> threeFloat = {
        "PYRO_BaseControl 14: 0",     "PYRO_SetScene 32 24 16 1 1 1",
        "PYRO_MeasureControl 1: 0.5", "PYRO_MeasureControl 0: 3",
        "PYRO_MeasureControl 3: 30",  "PYRO_MeasureControl 10: 1",
        "PYRO_MeasureControl 9: 1",   "PYRO_UpdateParamLine 822",
        "PYRO_ISP 24",                "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12",
        "PYRO_Uninit"};
    EXPECT_EQ(operationLines(), threeFloat);

    pyro_test::reset();
    in.withSceneC = false;
    PYRO_MEASUREPARAM m{0.5f, 3.0f, 30.0f, 4, 5, 6};
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", out.data(), in.param(), m);
    const std::vector<std::string> record = {
        "PYRO_BaseControl 14: 0",     "PYRO_SetScene 32 24 0 1 1 0",
        "PYRO_MeasureControl 1: 0.5", "PYRO_MeasureControl 0: 3",
        "PYRO_MeasureControl 3: 30",  "PYRO_MeasureControl 2: 4",
        "PYRO_MeasureControl 22: 5",  "PYRO_MeasureControl 4: 6",
        "PYRO_MeasureControl 10: 1",  "PYRO_MeasureControl 9: 1",
        "PYRO_ISP 24",                "PYRO_MeasureTempMatrix 4 3 0 0 4 3 3 0 12",
        "PYRO_Uninit"};
    EXPECT_EQ(operationLines(), record);
    // The record's own fields, not copies, go to the library.
    const void* fields[] = {&m.measure1, &m.measure2, &m.measure3,
                            &m.measure4, &m.measure5, &m.measure6};
    const auto controls = callsTo("PYRO_MeasureControl");
    ASSERT_GE(controls.size(), 8u);
    const auto firstSetting = controls.end() - 8;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(firstSetting[i]->address, fields[i]) << i;
}

TEST_F(PyroTest, PointOperationHandsTheValueAndFourSettings) {
    PyroInputs in;
    float out = kSentinel;
    measurePoint("DV36", in, 4321, &out, 7.0f, 0.5f, 3.0f, 30.0f);
    const auto lines = operationLines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 3], "PYRO_ISP 24");
    EXPECT_EQ(lines[lines.size() - 2], "PYRO_MeasureAnalysisTempPoint 4321 0.5 3 7 30");
    EXPECT_EQ(lines.back(), "PYRO_Uninit");
    EXPECT_NE(out, kSentinel);
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
            if (form == 0) measureMatrix("DV28", in, matrix.data());
            if (form == 1) KestrelModuleMeasureMin::tempwithpyroDll("DV28", matrix.data(), in.param(), m);
            if (form == 2) measurePoint("DV28", in, 100, &point);
            EXPECT_EQ(operationLines(), c.tail) << "form " << form;
        }
        EXPECT_EQ(matrix.contents(), std::vector<float>(12, kSentinel));
        EXPECT_TRUE(matrix.canariesIntact());
        EXPECT_EQ(point, kSentinel);
    }
}

TEST_F(PyroTest, BadArgumentsCallNothingAndWriteNothing) {
    struct Case {
        const char* what;
        const char* model;
        void (*spoil)(PyroInputs&, PYRO_PARAM&);
    };
    const Case cases[] = {
        {"null model", nullptr, [](PyroInputs&, PYRO_PARAM&) {}},
        {"short frame", "DV28", [](PyroInputs&, PYRO_PARAM& p) { p.y16Count = 11; }},
        {"null frame", "XY99", [](PyroInputs&, PYRO_PARAM& p) { p.y16Data = nullptr; }},
        {"zero width", "XY99", [](PyroInputs&, PYRO_PARAM& p) { p.width = 0; }},
        {"null calibration", "XY99", [](PyroInputs&, PYRO_PARAM& p) { p.calibData = nullptr; }},
        {"null scene A", "XY99", [](PyroInputs&, PYRO_PARAM& p) { p.sceneA = nullptr; }},
        {"null scene B", "XY99", [](PyroInputs&, PYRO_PARAM& p) { p.sceneB = nullptr; }},
        {"short line", "DV34", [](PyroInputs&, PYRO_PARAM& p) { p.paramLineLength = 821; }},
        {"no line", "DV21-W", [](PyroInputs&, PYRO_PARAM& p) { p.paramLine = nullptr; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        PyroInputs in;
        PYRO_PARAM p = in.param();
        c.spoil(in, p);
        GuardedBuffer<float> matrix(12, kSentinel);
        float point = kSentinel;
        PYRO_MEASUREPARAM m{};
        pyro_test::reset();
        KestrelModuleMeasureMin::tempwithpyroDll(c.model, matrix.data(), p, m);
        getNewTempWithPyro_dll(c.model, int(p.width), int(p.height), p.y16Data, p.y16Count,
                               p.calibData, p.calibLength, p.sceneB, p.sceneBLength, p.sceneA,
                               p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
                               p.paramLineLength, matrix.data(), 1, 1, 1);
        getNewTemperatureWithPYROByY16(c.model, int(p.width), int(p.height), p.y16Data,
                                       p.y16Count, 5, p.calibData, p.calibLength, p.sceneB,
                                       p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                                       p.sceneCLength, p.paramLine, p.paramLineLength, &point, 1,
                                       1, 1, 0);
        EXPECT_TRUE(pyro_test::journal().empty());
        EXPECT_EQ(matrix.contents(), std::vector<float>(12, kSentinel));
        EXPECT_EQ(point, kSentinel);
    }
    // Null outputs, negative sizes, and the class member's non-positive sample count.
    PyroInputs in;
    PYRO_PARAM p = in.param();
    PYRO_MEASUREPARAM m{};
    pyro_test::reset();
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", nullptr, p, m);
    measureMatrix("DV28", in, nullptr);
    measurePoint("DV28", in, 5, nullptr);
    in.height = -3;
    float out = kSentinel;
    measureMatrix("DV28", in, &out);
    p.y16Count = 0;
    KestrelModuleMeasureMin::tempwithpyroDll("DV28", &out, p, m);
    EXPECT_TRUE(pyro_test::journal().empty());
    EXPECT_EQ(out, kSentinel);
}

TEST_F(PyroTest, ExceptionInsideTheCallStillClosesTheInstance) {
    for (const char* where : {"PYRO_Register", "PYRO_ISP", "PYRO_MeasureTempMatrix"}) {
        SCOPED_TRACE(where);
        pyro_test::reset(faultsWith([where](auto& f) { f.throwIn = where; }));
        PyroInputs in;
        std::vector<float> out(12, kSentinel);
        EXPECT_THROW(measureMatrix("DV35", in, out.data()), std::bad_alloc);
        EXPECT_EQ(pyro_test::liveInstances(), 0);
        EXPECT_EQ(callsTo("PYRO_Uninit").size(), 1u);
        EXPECT_EQ(out, std::vector<float>(12, kSentinel));
    }
}

TEST(PyroClass, AssignmentsCopyNothingAndReturnTheObject) {
    KestrelModuleMeasureMin a, b;
    EXPECT_EQ(&(a = b), &a);
    EXPECT_EQ(&(a = std::move(b)), &a);
    static_assert(sizeof(KestrelModuleMeasureMin) == 1, "no data members");
}

}  // namespace
}  // namespace kmm
