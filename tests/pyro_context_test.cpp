// The per-call context: the set-up sequences of contextOpen per model list, scene C and range
// mode, the paths that open nothing, and contextClose, read from the stand-in's journal.
#include <cctype>
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

// Runs contextOpen and contextClose and returns the journal.
Lines openAndClose(const char* model, const PyroInputs& in, bool* opened = nullptr) {
    PyroContext ctx;
    contextCreate(ctx);
    contextLoad(ctx, in.param());
    contextOpen(ctx, model);
    if (opened) *opened = ctx.initialised.load() == 1;
    contextClose(ctx);
    return journalLines();
}

const Lines kImageDefaults = {
    "PYRO_ImageControl 3: 255", "PYRO_ImageControl 4: 100", "PYRO_ImageControl 22: 1",
    "PYRO_ImageControl 23: 1",  "PYRO_ImageControl 29: 256", "PYRO_ImageControl 30: 1",
    "PYRO_ImageControl 31: 1",  "PYRO_ImageControl 34: 20",  "PYRO_ImageControl 35: 180",
    "PYRO_ImageControl 36: 145", "PYRO_ImageControl 37: 32", "PYRO_ImageControl 38: 7"};
const Lines kFireDrc = {"PYRO_FireDRCInit 4 3 0",
                        "PYRO_FireDRCSetParams 256 108 256 256 128 80 2 2 30 32 11"};

Lines fireSequence(const Lines& rangeWindow) {
    return Lines{"PYRO_Init 2 1 4 3 3", "PYRO_BaseControl 28: 77", "PYRO_Register 48 1",
                 "PYRO_MeasureControl 19: 1", "PYRO_MeasureControl 11: 1",
                 "PYRO_MeasureControl 7: 1", "PYRO_MeasureControl 23: 1",
                 "PYRO_MeasureControl 10: 1", "PYRO_MeasureControl 27: 1",
                 "PYRO_BaseControl 14: 1"} +
           kImageDefaults + Lines{"PYRO_MeasureControl 15: 1"} + rangeWindow +
           Lines{"PYRO_Debugger 0: 1"} + kFireDrc + Lines{"PYRO_Uninit"};
}

// The standard set-up: init by scene C, selector 28 for the standard list only.
Lines standardSequence(bool sceneC, bool baseLevel) {
    Lines lines = {sceneC ? "PYRO_Init 2 1 4 3 3" : "PYRO_Init 2 3 4 3 0"};
    if (baseLevel) lines.push_back("PYRO_BaseControl 28: 77");
    lines.push_back("PYRO_Register 48 1");
    if (sceneC) lines.push_back("PYRO_MeasureControl 19: 1");
    return lines + Lines{"PYRO_MeasureControl 11: 1", "PYRO_MeasureControl 7: 1",
                         "PYRO_MeasureControl 23: 1", "PYRO_Debugger 0: 1", "PYRO_Uninit"};
}

const Lines kWindow1 = {"PYRO_MeasureControl 16: 11.5 110", "PYRO_MeasureControl 12: 110"};
const Lines kWindow2 = {"PYRO_MeasureControl 17: 0 1", "PYRO_MeasureControl 13: 1"};
const Lines kWindowOther = {"PYRO_MeasureControl 18: 0 0", "PYRO_MeasureControl 14: 0"};

struct OpenCase {
    const char* model;
    bool sceneC;
    int rangeMode;
    Lines expected;
};

class PyroContextOpen : public PyroTest, public ::testing::WithParamInterface<OpenCase> {};

TEST_P(PyroContextOpen, SendsTheSetUpSequenceOfItsList) {
    const OpenCase& c = GetParam();
    PyroInputs in;
    in.withSceneC = c.sceneC;
    in.paramLine = PyroInputs::withOffset(c.rangeMode, 40);
    bool opened = false;
    EXPECT_EQ(openAndClose(c.model, in, &opened), c.expected);
    EXPECT_TRUE(opened);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PyroContextOpen,
    ::testing::Values(
        OpenCase{"DV34", true, 1, fireSequence(kWindow1)},
        OpenCase{"DV34-W", false, 2, fireSequence(kWindow2)},  // fire ignores scene C at init
        OpenCase{"DV39", true, 3, fireSequence(kWindowOther)},
        OpenCase{"DV36", true, 0, fireSequence(kWindowOther)},
        OpenCase{"DV28", true, 1, standardSequence(true, true)},
        OpenCase{"DV28", false, 1, standardSequence(false, true)},
        OpenCase{"DV50", false, 2, standardSequence(false, true)},
        OpenCase{"DV07", true, 1, standardSequence(true, false)},  // registry, but no list
        OpenCase{"dv28", false, 1, standardSequence(false, false)},
        OpenCase{"", true, 1, standardSequence(true, false)}),
    [](const ::testing::TestParamInfo<OpenCase>& info) {
        std::string name = info.param.model[0] ? info.param.model : "empty";
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
        return name + (info.param.sceneC ? "_sceneC" : "") + "_mode" +
               std::to_string(info.param.rangeMode) + "_" + std::to_string(info.index);
    });

TEST_F(PyroTest, RangeWindowSecondSelectorGetsThePairsSecondMember) {
    openAndClose("DV35", PyroInputs{});
    const auto controls = callsTo("PYRO_MeasureControl");
    const pyro_test::Call* window = nullptr;
    for (size_t i = 0; i + 1 < controls.size(); ++i)
        if (controls[i]->selector == 16) window = controls[i];
    ASSERT_NE(window, nullptr);
    const pyro_test::Call* second = window + 1;  // the next journal entry
    EXPECT_EQ(second->selector, 12);
    EXPECT_EQ(second->address, static_cast<const float*>(window->address) + 1);
}

TEST_F(PyroTest, RegistrationCarriesTheContextAndServesTheWholeCalibrationBlock) {
    PyroInputs in;
    PyroContext ctx;
    contextCreate(ctx);
    contextLoad(ctx, in.param());
    contextOpen(ctx, "DV20");
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

TEST_F(PyroTest, LoadCopiesPresentBlocksAndLeavesOthersAbsent) {
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
    EXPECT_EQ(ctx.levelTables[2][1], 0.625f);
    contextClose(ctx);
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
        bool opened = true;
        EXPECT_EQ(openAndClose(c.model, in, &opened), Lines{});
        EXPECT_FALSE(opened);
    }
}

TEST_F(PyroTest, UnlistedModelNeedsNoParameterLine) {
    PyroInputs in;
    in.paramLine.clear();
    bool opened = false;
    openAndClose("XY99", in, &opened);
    EXPECT_TRUE(opened);
}

TEST_F(PyroTest, FailedInitStillGivesAFireModelItsDrcHandle) {
    pyro_test::reset(faultsWith([](auto& f) { f.initFails = true; }));
    PyroContext ctx;
    contextCreate(ctx);
    contextLoad(ctx, PyroInputs{}.param());
    contextOpen(ctx, "DV37-W");
    EXPECT_EQ(ctx.initialised.load(), 0);
    EXPECT_NE(ctx.drcHandle, nullptr);
    contextClose(ctx);
    EXPECT_EQ(journalLines(), Lines{"PYRO_Init 2 1 4 3 3"} + kFireDrc);

    pyro_test::reset(faultsWith([](auto& f) { f.initFails = true; }));
    contextCreate(ctx);
    contextLoad(ctx, PyroInputs{}.param());
    contextOpen(ctx, "DV28");
    EXPECT_EQ(ctx.drcHandle, nullptr);
    contextClose(ctx);
    EXPECT_EQ(journalLines(), Lines{"PYRO_Init 2 1 4 3 3"});
}

}  // namespace
}  // namespace kmm
