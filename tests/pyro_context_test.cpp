// The per-call context's set-up by model list: scene C decides the init and its control (the
// fire list always runs with it), the standard and fire lists send the base level, and only
// the fire list its image preset, the range window of the line's range mode and the DRC.
#include <algorithm>
#include <string>

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
        in.withSceneC = c.sceneC;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
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
    // The range window's second selector points at the pair's second member.
    pyro_test::reset();
    EXPECT_TRUE(PyroContext("DV35", PyroInputs{}.param()).open());
    const auto controls = callsTo("PYRO_MeasureControl");
    const auto window = std::find_if(controls.begin(), controls.end(), [](auto* call) {
        return call->selector == PYRO_MEASURE_WINDOW_MODE1;
    });
    ASSERT_NE(window, controls.end());
    EXPECT_EQ(window[1]->address, static_cast<const float*>((*window)->address) + 1);
}

}  // namespace
}  // namespace kmm
