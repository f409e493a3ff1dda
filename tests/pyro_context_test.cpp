// The per-call context: the set-up sequences of contextOpen per model list, scene C and range
// mode, the paths that open nothing, and contextClose, read from the stand-in's journal.
#include <algorithm>
#include <string>
#include <vector>

#include "pyro/pyro_context.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

using Lines = std::vector<std::string>;

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// Runs contextOpen and contextClose; returns whether it opened, and leaves the journal.
bool openAndClose(const char* model, const PyroInputs& in) {
    PyroContext ctx;
    contextCreate(ctx);
    contextLoad(ctx, in.param());
    contextOpen(ctx, model);
    const bool opened = ctx.initialised.load() == 1;
    contextClose(ctx);
    return opened;
}

const Lines kFireDrc = {"PYRO_FireDRCInit 4 3 0",
                        "PYRO_FireDRCSetParams 256 108 256 256 128 80 2 2 30 32 11"};

Lines fireSequence(const Lines& rangeWindow) {
    return Lines{"PYRO_Init 2 1 4 3 3", "PYRO_BaseControl 28: 77", "PYRO_Register 52 1",
           "PYRO_MeasureControl 19: 1", "PYRO_MeasureControl 11: 1", "PYRO_MeasureControl 7: 1",
           "PYRO_MeasureControl 23: 1", "PYRO_MeasureControl 10: 1", "PYRO_MeasureControl 27: 1",
           "PYRO_BaseControl 14: 1", "PYRO_ImageControl 3: 255", "PYRO_ImageControl 4: 100",
           "PYRO_ImageControl 22: 1", "PYRO_ImageControl 23: 1", "PYRO_ImageControl 29: 256",
           "PYRO_ImageControl 30: 1", "PYRO_ImageControl 31: 1", "PYRO_ImageControl 34: 20",
           "PYRO_ImageControl 35: 180", "PYRO_ImageControl 36: 145", "PYRO_ImageControl 37: 32",
           "PYRO_ImageControl 38: 7", "PYRO_MeasureControl 15: 1"} +
           rangeWindow + Lines{"PYRO_Debugger 0: 1"} + kFireDrc + Lines{"PYRO_Uninit"};
}

// The standard set-up: init by scene C, selector 28 for the standard list only.
Lines standardSequence(bool sceneC, bool baseLevel) {
    Lines lines = {sceneC ? "PYRO_Init 2 1 4 3 3" : "PYRO_Init 2 3 4 3 0"};
    if (baseLevel) lines.push_back("PYRO_BaseControl 28: 77");
    lines.push_back("PYRO_Register 52 1");
    if (sceneC) lines.push_back("PYRO_MeasureControl 19: 1");
    return lines + Lines{"PYRO_MeasureControl 11: 1", "PYRO_MeasureControl 7: 1",
                         "PYRO_MeasureControl 23: 1", "PYRO_Debugger 0: 1", "PYRO_Uninit"};
}

TEST_F(PyroTest, OpenSendsTheSetUpSequenceOfItsList) {
    struct Case {
        const char* model;
        bool sceneC;
        int rangeMode;
        Lines expected;
    };
    const Case cases[] = {
        {"DV34", true, 1, fireSequence({"PYRO_MeasureControl 16: 11.5 110", "PYRO_MeasureControl 12: 110"})},
        {"DV34-W", false, 2, fireSequence({"PYRO_MeasureControl 17: 0 1", "PYRO_MeasureControl 13: 1"})},
        {"DV39", true, 3, fireSequence({"PYRO_MeasureControl 18: 0 0", "PYRO_MeasureControl 14: 0"})},
        {"DV28", true, 1, standardSequence(true, true)},
        {"DV50", false, 2, standardSequence(false, true)},
        {"DV07", true, 1, standardSequence(true, false)},  // registry, but no list
        {"dv28", false, 1, standardSequence(false, false)},
        {"", true, 1, standardSequence(true, false)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.rangeMode));
        pyro_test::reset();
        PyroInputs in;
        in.withSceneC = c.sceneC;
        in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
        EXPECT_TRUE(openAndClose(c.model, in));
        EXPECT_EQ(journalLines(), c.expected);
    }
    // The range window's second selector points at the pair's second member.
    pyro_test::reset();
    openAndClose("DV35", PyroInputs{});
    const auto controls = callsTo("PYRO_MeasureControl");
    const auto window = std::find_if(controls.begin(), controls.end(),
                                     [](auto* call) { return call->selector == 16; });
    ASSERT_NE(window, controls.end());
    EXPECT_EQ(window[1]->selector, 12);
    EXPECT_EQ(window[1]->address, static_cast<const float*>((*window)->address) + 1);
}

TEST_F(PyroTest, LoadCopiesBlocksRegisterServesThemAndCloseClearsAll) {
    PyroInputs in;
    PYRO_PARAM p = in.param();
    p.sceneC = nullptr;  // null with a positive length: absent
    p.paramLineLength = -5;
    PyroContext ctx;
    contextCreate(ctx);
    contextLoad(ctx, p);
    in.sceneA[0] ^= 0xFF;  // the copy no longer depends on the caller's buffer
    in.frame[0] ^= 0xFFFF;
    EXPECT_EQ(ctx.sceneA.length, 32);
    EXPECT_EQ(ctx.sceneA.bytes[0], 0xA0);
    EXPECT_EQ(ctx.frameCount, 12);
    EXPECT_EQ(ctx.frame[0], 12000);
    EXPECT_FALSE(ctx.sceneC.present());
    EXPECT_FALSE(ctx.paramLine.present());
    contextOpen(ctx, "XY99");  // unlisted: no parameter line needed
    EXPECT_EQ(ctx.initialised.load(), 1);
    const auto reg = callsTo("PYRO_Register");
    ASSERT_EQ(reg.size(), 1u);
    EXPECT_EQ(reg[0]->address, &ctx);
    EXPECT_EQ(reg[0]->result, 0);  // the callback's return value
    EXPECT_EQ(reg[0]->values, (std::vector<double>{double(in.calib.size()), 1.0}));
    contextClose(ctx);
    EXPECT_EQ(ctx.handle, nullptr);
    EXPECT_EQ(ctx.initialised.load(), 0);
    EXPECT_EQ(ctx.calibData.length + ctx.sceneA.length + ctx.sceneB.length + ctx.sceneC.length +
                  ctx.paramLine.length + ctx.frameCount,
              0);
}

// Nothing is opened, and PYRO_Init never called, without a size or a required block, or for
// a listed model without a full parameter line.
TEST_F(PyroTest, MissingSizeOrBlockOpensNothing) {
    struct Case {
        const char* what;
        const char* model;
        void (*spoil)(PyroInputs&);
    };
    const Case cases[] = {
        {"height 0", "DV28", [](PyroInputs& in) { in.height = 0; }},
        {"width 0", "XY99", [](PyroInputs& in) { in.width = 0; }},
        {"no calibration", "DV28", [](PyroInputs& in) { in.calib.clear(); }},
        {"no scene A", "DV35", [](PyroInputs& in) { in.sceneA.clear(); }},
        {"no scene B", "XY99", [](PyroInputs& in) { in.sceneB.clear(); }},
        {"short line, fire", "DV35", [](PyroInputs& in) { in.paramLine.resize(821); }},
        {"short line, standard", "DV19S", [](PyroInputs& in) { in.paramLine.resize(821); }},
        {"no line, standard", "DV54", [](PyroInputs& in) { in.paramLine.clear(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pyro_test::reset();
        PyroInputs in;
        c.spoil(in);
        EXPECT_FALSE(openAndClose(c.model, in));
        EXPECT_EQ(journalLines(), Lines{});
    }
}

TEST_F(PyroTest, FailedInitStillGivesOnlyAFireModelItsDrcHandle) {
    for (const char* model : {"DV37-W", "DV28"}) {
        SCOPED_TRACE(model);
        const bool isFire = model[2] == '3';
        pyro_test::reset(faultsWith([](auto& f) { f.initFails = true; }));
        PyroContext ctx;
        contextCreate(ctx);
        contextLoad(ctx, PyroInputs{}.param());
        contextOpen(ctx, model);
        EXPECT_EQ(ctx.initialised.load(), 0);
        EXPECT_EQ(ctx.drcHandle != nullptr, isFire);
        contextClose(ctx);
        EXPECT_EQ(journalLines(), Lines{"PYRO_Init 2 1 4 3 3"} + (isFire ? kFireDrc : Lines{}));
    }
}

}  // namespace
}  // namespace kmm
