// Y16 from temperature through the closed library: the fire list's shortcut, the offset
// taken off for the standard list (and for DV34 in the record form), and the untouched output
// of a refused call.
#include <string>
#include <vector>

#include "pyro/pyro_context.h"
#include "pyro/pyro_y16.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr int16_t kSentinel = -12345;
constexpr int16_t kLibraryValue = 1000;

int16_t y16Plain(const char* model, const PyroInputs& in, float temperature = 36.5f) {
    const PYRO_PARAM p = in.param();
    int16_t out = kSentinel;
    getY16WithPyro_dll(model, in.width, in.height, p.y16Data, p.y16Count, p.calibData,
                       p.calibLength, p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength,
                       p.sceneC, p.sceneCLength, p.paramLine, p.paramLineLength, temperature,
                       &out, 0.95f, 2.0f, 23.0f);
    return out;
}

// The record form has no export of its own: it runs inside a context like the exports do.
int16_t y16Record(const char* model, const PyroInputs& in) {
    PyroContext ctx;
    contextCreate(ctx);
    const ContextCloser closer{ctx};
    contextLoad(ctx, in.param());
    contextOpen(ctx, model);
    PYRO_MEASUREPARAM m{0.95f, 2.0f, 23.0f, 0, 0, 0};
    int16_t out = kSentinel;
    y16FromTemperatureRecord(ctx, lookupModel(model), 36.5f, &out, m);
    return out;
}

std::vector<std::string> conversionLines() {
    auto lines = journalLines();
    auto first = std::find(lines.begin(), lines.end(), "PYRO_MeasureControl 9: 1");
    return {first + 1, lines.end()};
}

TEST_F(PyroTest, Y16FromTemperatureByListAndForm) {
    struct Case {
        const char* model;
        int rangeMode;
        int16_t offset;
        int16_t threeFloat, record;  // expected results, library value 1000
    };
    const Case cases[] = {
        {"DV28", 1, 40, 960, 960},      {"DV28", 0, 40, 1000, 1000},
        {"DV50", 1, -1, 1001, 1001},    {"DV34", 1, 40, 1000, 960},
        {"DV34-W", 1, 40, 1000, 960},   {"DV36", 1, 40, 1000, 1000},
        {"XY99", 1, 40, 1000, 1000},    {"DV13", 1, 40, 1000, 1000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset(faultsWith([](auto& f) { f.calcY16 = [](float) { return kLibraryValue; }; }));
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, c.offset);
        EXPECT_EQ(y16Plain(c.model, in), c.threeFloat);
        EXPECT_EQ(y16Record(c.model, in), c.record);
    }
}

TEST_F(PyroTest, SubtractedOffsetWrapsModulo65536) {
    pyro_test::reset(faultsWith([](auto& f) { f.calcY16 = [](float) { return int16_t(-32768); }; }));
    PyroInputs in;
    in.paramLine = PyroInputs::withOffset(1, 1);
    EXPECT_EQ(y16Plain("DV19", in), 32767);
}

TEST_F(PyroTest, FireListConvertsWithoutFrameOrParameterLine) {
    PyroInputs in;
    y16Plain("DV36", in);
    auto lines = conversionLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("PYRO_CalcY16ByTemp 36.5 ", 0), 0u) << lines[0];
    pyro_test::reset();
    y16Plain("DV28", in);
    lines = conversionLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "PYRO_UpdateParamLine 822");
    EXPECT_EQ(lines[1], "PYRO_ISP 24");
}

// Through the exports only. With range mode 1 the standard list's Y16 has the offset taken
// off and the matrix puts it back; the point form measures the value as given, which for the
// fire list is the library's own.
TEST_F(PyroTest, Y16InvertsTheMeasurement) {
    struct Case {
        const char* model;
        bool matrix;
    };
    for (const Case c : {Case{"DV28", true}, Case{"XY99", true}, Case{"XY99", false},
                         Case{"DV35", false}}) {
        SCOPED_TRACE(std::string(c.model) + (c.matrix ? " matrix" : " point"));
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(1, 40);
        for (float t : {-20.0f, 23.0f, 36.5f, 150.0f, 649.0f}) {
            const auto y = uint16_t(y16Plain(c.model, in, t));
            PyroInputs frame = in;
            frame.frame.assign(frame.frame.size(), y);
            const PYRO_PARAM p = frame.param();
            std::vector<float> measured(12, -999.0f);
            if (c.matrix)
                getNewTempWithPyro_dll(c.model, in.width, in.height, p.y16Data, p.y16Count,
                                       p.calibData, p.calibLength, p.sceneB, p.sceneBLength,
                                       p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength,
                                       p.paramLine, p.paramLineLength, measured.data(), 0.95f,
                                       2.0f, 23.0f);
            else
                getNewTemperatureWithPYROByY16(c.model, in.width, in.height, p.y16Data,
                                               p.y16Count, y, p.calibData, p.calibLength, p.sceneB,
                                               p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                                               p.sceneCLength, p.paramLine, p.paramLineLength,
                                               measured.data(), 0.95f, 2.0f, 23.0f, 0.0f);
            EXPECT_NEAR(measured[0], t, 0.1f) << "at " << t;
        }
    }
}

TEST_F(PyroTest, RefusedY16ConversionLeavesTheOutput) {
    PyroInputs in;
    pyro_test::reset(faultsWith([](auto& f) { f.setSceneResult = 1; }));
    EXPECT_EQ(y16Plain("DV28", in), kSentinel);
    EXPECT_EQ(y16Record("DV34", in), kSentinel);
    EXPECT_TRUE(callsTo("PYRO_CalcY16ByTemp").empty());
    pyro_test::reset(faultsWith([](auto& f) { f.initFails = true; }));
    EXPECT_EQ(y16Plain("DV36", in), kSentinel);
    in.calib.clear();
    pyro_test::reset();
    EXPECT_EQ(y16Plain("XY99", in), kSentinel);
    EXPECT_TRUE(pyro_test::journal().empty());
}

}  // namespace
}  // namespace kmm
