// The per-call context: the set-up sequences per model list, scene C and range mode.
#include <algorithm>
#include <string>
#include <vector>

#include "pyro/pyro_context.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

// Opens a context and closes it again; returns whether it opened, and leaves the journal.
bool openAndClose(const char* model, const PyroInputs& in) {
    const PyroContext ctx(model, in.param());
    return ctx.open();
}

std::string registered(const PyroInputs& in) {
    return "PYRO_Register " + std::to_string(in.calib.size()) + " 1";
}

const Lines kFireDrc = {"PYRO_FireDRCInit 4 3 0",
                        "PYRO_FireDRCSetParams 256 108 256 256 128 80 2 2 30 32 11"};

Lines fireSequence(const PyroInputs& in, const Lines& rangeWindow) {
    return Lines{"PYRO_Init 2 1 4 3 3", base(PYRO_BASE_LEVEL, {77}), registered(in),
                 measure(PYRO_MEASURE_SCENE_C, {1}), measure(PYRO_MEASURE_OPEN_A, {1}),
                 measure(PYRO_MEASURE_OPEN_B, {1}), measure(PYRO_MEASURE_OPEN_C, {1}),
                 measure(PYRO_MEASURE_RUN_A, {1}), measure(PYRO_MEASURE_FIRE, {1}),
                 base(PYRO_BASE_OUTPUT, {1})} +
           kImagePreset + Lines{measure(PYRO_MEASURE_RESPONSE, {1})} + rangeWindow +
           Lines{control("PYRO_Debugger", PYRO_DEBUG_LEVEL, {1})} + kFireDrc +
           Lines{"PYRO_Uninit"};
}

// The standard set-up: init by scene C, the base level for the standard list only.
Lines standardSequence(const PyroInputs& in, bool baseLevel) {
    Lines lines = {in.withSceneC ? "PYRO_Init 2 1 4 3 3" : "PYRO_Init 2 3 4 3 0"};
    if (baseLevel) lines.push_back(base(PYRO_BASE_LEVEL, {77}));
    lines.push_back(registered(in));
    if (in.withSceneC) lines.push_back(measure(PYRO_MEASURE_SCENE_C, {1}));
    return lines + Lines{measure(PYRO_MEASURE_OPEN_A, {1}), measure(PYRO_MEASURE_OPEN_B, {1}),
                         measure(PYRO_MEASURE_OPEN_C, {1}),
                         control("PYRO_Debugger", PYRO_DEBUG_LEVEL, {1}), "PYRO_Uninit"};
}

TEST_F(PyroTest, OpenSendsTheSetUpSequenceOfItsList) {
    const Lines mode1 = {measure(PYRO_MEASURE_WINDOW_MODE1, {11.5, 110}),
                         measure(PYRO_MEASURE_WINDOW_MODE1_END, {110})};
    const Lines mode2 = {measure(PYRO_MEASURE_WINDOW_MODE2, {0, 1}),
                         measure(PYRO_MEASURE_WINDOW_MODE2_END, {1})};
    const Lines other = {measure(PYRO_MEASURE_WINDOW_OTHER, {0, 0}),
                         measure(PYRO_MEASURE_WINDOW_OTHER_END, {0})};
    struct Case {
        const char* model;
        bool sceneC;
        int rangeMode;
        const Lines* window;  // the fire set-up's range window; the standard set-up when null
        bool baseLevel;
    };
    const Case cases[] = {
        {"DV34", true, 1, &mode1, false}, {"DV34-W", false, 2, &mode2, false},
        {"DV39", true, 3, &other, false},
        {"DV28", true, 1, nullptr, true}, {"DV50", false, 2, nullptr, true},
        {"DV07", true, 1, nullptr, false},  // in the registry, in neither list
        {"dv28", false, 1, nullptr, false}, {"", true, 1, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset();
        PyroInputs in;
        in.withSceneC = c.sceneC;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
        EXPECT_TRUE(openAndClose(c.model, in));
        EXPECT_EQ(journalLines(),
                  c.window ? fireSequence(in, *c.window) : standardSequence(in, c.baseLevel));
    }
    // The range window's second selector points at the pair's second member.
    pyro_test::reset();
    openAndClose("DV35", PyroInputs{});
    const auto controls = callsTo("PYRO_MeasureControl");
    const auto window = std::find_if(controls.begin(), controls.end(), [](auto* call) {
        return call->selector == PYRO_MEASURE_WINDOW_MODE1;
    });
    ASSERT_NE(window, controls.end());
    EXPECT_EQ(window[1]->address, static_cast<const float*>((*window)->address) + 1);
}

}  // namespace
}  // namespace kmm
