// Y16 from temperature through the closed library: the fire list's shortcut, the offset
// taken off for the standard list (and for DV34 in the record form), and the untouched output
// of a refused call. The round trip through measurement is in pyro_measure_test.
#include <algorithm>
#include <string>
#include <vector>

#include "pyro/pyro_context.h"
#include "pyro/pyro_y16.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr int16_t kSentinel = -12345;  // as y16Plain's untouched output

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

TEST_F(PyroTest, Y16FromTemperatureByListAndForm) {
    struct Case {
        const char* model;
        int rangeMode;
        int16_t offset, library;
        int16_t threeFloat, record;  // expected results
    };
    const Case cases[] = {
        {"DV28", 1, 40, 1000, 960, 960},        {"DV28", 0, 40, 1000, 1000, 1000},
        {"DV50", 1, -1, 1000, 1001, 1001},      {"DV34", 1, 40, 1000, 1000, 960},
        {"DV36", 1, 40, 1000, 1000, 1000},      {"XY99", 1, 40, 1000, 1000, 1000},
        {"DV13", 1, 40, 1000, 1000, 1000},
        {"DV19", 1, 1, -32768, 32767, 32767},  // the subtraction wraps modulo 65536
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        const int16_t library = c.library;
        pyro_test::reset(faultsWith([=](auto& f) { f.calcY16 = [=](float) { return library; }; }));
        PyroInputs in;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, c.offset);
        EXPECT_EQ(y16Plain(c.model, in), c.threeFloat);
        EXPECT_EQ(y16Record(c.model, in), c.record);
    }
}

TEST_F(PyroTest, FireListConvertsWithoutFrameOrParameterLine) {
    y16Plain("DV36", PyroInputs{});
    auto lines = journalLines();
    auto after = std::find(lines.begin(), lines.end(), "PYRO_MeasureControl 9: 1") + 1;
    ASSERT_EQ(lines.end() - after, 2);
    EXPECT_EQ(after->rfind("PYRO_CalcY16ByTemp 36.5 ", 0), 0u) << *after;
    pyro_test::reset();
    y16Plain("DV28", PyroInputs{});
    lines = journalLines();
    after = std::find(lines.begin(), lines.end(), "PYRO_MeasureControl 9: 1") + 1;
    ASSERT_EQ(lines.end() - after, 4);
    EXPECT_EQ(after[0], "PYRO_UpdateParamLine 822");
    EXPECT_EQ(after[1], "PYRO_ISP 24");
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
