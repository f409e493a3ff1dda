// Every closed-library export on every way a call can be refused or fail: bad arguments call
// nothing; a refused scene, a failed init, an absent or oversized calibration block or an
// allocation that fails write nothing, let no exception out and leave no instance open.
#include <string>
#include <vector>

#include "failing_allocation.h"
#include "pyro/pyro_call.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

struct Refusal {
    const char* what;
    const char* model;
    void (*inputs)(PyroInputs&);
    void (*param)(PYRO_PARAM&);
    pyro_test::Faults faults;
    bool callsLibrary;
};

std::vector<Refusal> refusals() {
    const auto none = [](PyroInputs&) {};
    const auto same = [](PYRO_PARAM&) {};
    return {
        {"null model", nullptr, none, same, {}, false},
        {"zero width", "XY99", none, [](PYRO_PARAM& p) { p.width = 0; }, {}, false},
        {"negative height", "DV28", none, [](PYRO_PARAM& p) { p.height = uint32_t(-3); }, {}, false},
        {"null frame", "XY99", none, [](PYRO_PARAM& p) { p.y16Data = nullptr; }, {}, false},
        {"short frame", "DV28", none, [](PYRO_PARAM& p) { p.y16Count = 11; }, {}, false},
        {"sides whose product passes 2^63", "XY99", none,
         [](PYRO_PARAM& p) { p.width = p.height = 0xFFFFFFFEu; }, {}, false},
        {"frame too long for a 32-bit byte length", "DV35", none,
         [](PYRO_PARAM& p) { p.y16Count = 1 << 30; }, {}, false},
        {"null calibration", "XY99", none, [](PYRO_PARAM& p) { p.calibData = nullptr; }, {}, false},
        {"null scene A", "XY99", none, [](PYRO_PARAM& p) { p.sceneA = nullptr; }, {}, false},
        {"null scene B", "DV35", none, [](PYRO_PARAM& p) { p.sceneB = nullptr; }, {}, false},
        {"short line, fire list", "DV34", none, [](PYRO_PARAM& p) { p.paramLineLength = 821; },
         {}, false},
        {"no line, standard list", "DV21-W", none, [](PYRO_PARAM& p) { p.paramLine = nullptr; },
         {}, false},
        {"no calibration block", "DV35", [](PyroInputs& in) { in.calib.clear(); }, same, {}, false},
        {"no scene B block", "XY99", [](PyroInputs& in) { in.sceneB.clear(); }, same, {}, false},
        {"init fails", "DV35", none, same, faultsWith([](auto& f) { f.initFails = true; }), true},
        {"init fails, standard", "DV28", none, same, faultsWith([](auto& f) { f.initFails = true; }), true},
        {"scene refused", "DV35", none, same, faultsWith([](auto& f) { f.setSceneResult = 3; }), true},
        {"asked for the block with no room", "DV35", none, same, faultsWith([](auto& f) { f.requestWithoutRoom = true; }), true},
        {"asked for the block with nowhere for its length", "DV35", none, same, faultsWith([](auto& f) { f.requestWithoutLength = true; }), true},
        {"scene refused, standard", "DV28", none, same,
         faultsWith([](auto& f) { f.setSceneResult = 3; }), true},
        {"calibration longer than the library's room", "DV35",
         [](PyroInputs& in) { in.calib.resize((size_t(1) << 20) + 4096); }, same, {}, true},
    };
}

TEST_F(PyroTest, RefusedOrFailedCallsWriteNothing) {
    for (const Refusal& r : refusals()) {
        for (Export e : kEveryExport) {
            SCOPED_TRACE(std::string(r.what) + ", " + nameOf(e));
            pyro_test::reset(r.faults);
            PyroInputs in;
            r.inputs(in);
            PYRO_PARAM p = in.param();
            r.param(p);
            PyroOutputs out;
            callExport(e, r.model, p, out);
            EXPECT_TRUE(out.untouched());
            EXPECT_EQ(pyro_test::journal().empty(), !r.callsLibrary);
            EXPECT_EQ(pyro_test::liveInstances(), 0);
        }
    }
}

// The longest frame whose byte length fits the library's int32 is taken (one sample more is
// refused above); the checks never read past width x height.
TEST(PyroCall, LongestFrameIsAccepted) {
    PYRO_PARAM p = PyroInputs().param();
    p.y16Count = kMaxFrameSamples;
    EXPECT_TRUE(acceptPyroCall("DV35", p));
}

// A calibration block that fills the library's room exactly is taken whole.
TEST_F(PyroTest, CalibrationFillingTheRoomIsTaken) {
    PyroInputs in;
    in.calib.resize(size_t(1) << 20);
    PyroOutputs out;
    callExport(Export::Matrix, "DV35", in.param(), out);
    EXPECT_FALSE(out.untouched());
}

// A null output an export needs ends the call before the library; one it does not use does
// not.
TEST_F(PyroTest, NullOutputsCallNothing) {
    // Bits in the order of PyroOutputs::all(): matrix, image, point, level, max, min, Y16.
    const unsigned grey = 0b0110010, needs[] = {0b1, 0b1, 0b100, 0b1000000, grey, grey, grey,
                                                grey, grey | 0b1000};
    const PyroInputs in;
    for (Export e : kEveryExport) {
        for (size_t k = 0; k < 7; ++k) {
            SCOPED_TRACE(std::string(nameOf(e)) + ", output " + std::to_string(k));
            pyro_test::reset();
            PyroOutputs out;
            out.nulled = out.all()[k];
            callExport(e, "DV35", in.param(), out);
            EXPECT_EQ(pyro_test::journal().empty(), (needs[int(e)] >> k & 1) != 0);
        }
    }
}

// Each allocation of a call fails once in turn (the library's own are left alone: a C
// library reports its failures by its results).
TEST_F(PyroTest, AllocationFailureAnywhereWritesNothing) {
    pyro_test::stop();
    const PyroInputs in;
    const PYRO_PARAM p = in.param();
    for (Export e : kEveryExport) {
        int failures = 0;
        for (bool reached = true; reached; ++failures) {
            SCOPED_TRACE(std::string(nameOf(e)) + ", allocation " + std::to_string(failures));
            PyroOutputs out;
            {
                test::AllocationFailure failure(failures, pyro_test::insideLibrary);
                EXPECT_NO_THROW(callExport(e, "DV35", p, out));
                reached = failure.reached();
            }
            EXPECT_EQ(out.untouched(), reached);
            EXPECT_EQ(pyro_test::liveInstances(), 0);
        }
        EXPECT_GE(failures, 6) << nameOf(e) << ": the frame and five blocks are copied";
    }
}

}  // namespace
}  // namespace kmm
