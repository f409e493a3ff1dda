// Fire colour images through the closed library: the preset windows, the Y16 ends, the DRC
// call on the caller's frame with the chosen parameter set, and fireLevel's segments, read
// against a library whose Y16 is 1000 + degC (so every scale point is known by hand).
#include <cmath>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr float kSentinel = -999.0f;

// Y16 = 1000 + degC: Y(-20) = 980, Y(0) = 1000, Y(150) = 1150, Y(650) = 1650, Y(2000) = 3000.
pyro_test::Faults linearScale() {
    return faultsWith([](auto& f) { f.calcY16 = [](float t) { return int16_t(1000 + int(t)); }; });
}

struct FireResult {
    GuardedBuffer<uint8_t> rgb{36, 0xA5};
    float maxTemp = kSentinel;
    float minTemp = kSentinel;
    float level = kSentinel;
};

struct FireCall {
    const char* model = "DV35";
    int fireMode = 4;
    int drcSetIndex = -1;
    int drcParam[4] = {70000, 2, 3, 99};  // the first passes its low 16 bits: 4464
};

FireResult fire(const PyroInputs& in, const FireCall& c = {}) {
    FireResult r;
    const PYRO_PARAM p = in.param();
    y16MappingWithPyroToRgb_dll(c.model, r.rgb.data(), &r.maxTemp, &r.minTemp, in.width,
                                in.height, p.y16Data, p.y16Count, p.calibData, p.calibLength,
                                p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                                p.sceneCLength, p.paramLine, p.paramLineLength, 0.95f, 2.0f,
                                23.0f, c.fireMode, c.drcSetIndex, c.drcParam[0], c.drcParam[1],
                                c.drcParam[2], c.drcParam[3], &r.level);
    return r;
}

// The centre pixel (index 8 of the 4 x 3 frame) holding y.
PyroInputs centreAt(uint16_t y) {
    PyroInputs in;
    in.frame[8] = y;
    return in;
}

TEST_F(PyroTest, FireLevelBySegmentAndMode) {
    struct Case {
        int fireMode;
        uint16_t y;
        float level;
    };
    const float pow06 = 0.659753955f;  // 0.5^0.6
    const Case cases[] = {
        {4, 1150, 0.25f},                 // exactly Y(150): the end of segment 0
        {4, 1075, pow06 * 0.25f},         // half-way up segment 0: a power curve
        {5, 1225, 0.35f},                 // segment 1, half-way: 0.25 + 0.20 / 2
        {4, 1375, 0.55f},                 // segment 2
        {4, 1550, 0.80f},                 // segment 3
        {4, 2325, 0.975f},                // segment 4 (650 to 2000 degC)
        {4, 990, 0.0f},                   // below Y(0): no real power, held at 0
        {4, 900, 0.0f},                   // below Y(-20)
        {4, 3675, 1.025f},                // above Y(2000) the last segment carries on
        {6, 1125, pow06 * 0.375f},
        {6, 1325, 0.475f},
        {6, 1575, 0.825f},                // segment 3: 500 to 650 degC
        {7, 1050, pow06 * 0.625f},
        {8, 1110, 0.687f},                // segment 1: 0.625 + 0.155 * 0.4
        {7, 1400, 0.975f},                // segment 3: 150 to 650 degC
        {3, 1400, 0.0f},                  // no mode: level 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.fireMode) + " y " + std::to_string(c.y));
        pyro_test::reset(linearScale());
        FireCall call;
        call.fireMode = c.fireMode;
        EXPECT_NEAR(fire(centreAt(c.y), call).level, c.level, 1e-6f);
    }
}

TEST_F(PyroTest, FireLevelStopsOnAnUnusableScale) {
    struct Case {
        const char* what;
        std::function<int16_t(float)> scale;
        uint16_t y;
        float level;
    };
    const Case cases[] = {
        {"flat, in range", [](float) { return int16_t(1000); }, 1000, kSentinel},
        {"flat, below Y(-20)", [](float) { return int16_t(1000); }, 999, 0.0f},
        {"flat, above Y(2000)", [](float) { return int16_t(1000); }, 1001, 1.0f},
        {"Y(150) = Y(650)", [](float t) { return int16_t(1000 + int(std::min(t, 150.0f))); },
         1100, kSentinel},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pyro_test::reset(faultsWith([&](auto& f) { f.calcY16 = c.scale; }));
        EXPECT_EQ(fire(centreAt(c.y)).level, c.level);
        EXPECT_EQ(callsTo("PYRO_CalcY16ByTemp").size(), 2u + 12u);
    }
}

TEST_F(PyroTest, FireWindowByMode) {
    struct Case {
        int fireMode;
        float upper, lower;
        bool levelWritten;
    };
    const Case cases[] = {{4, 650, 150, true}, {5, 650, 150, true}, {6, 650, 250, true},
                          {7, 150, 100, true}, {8, 150, 100, true}, {9, 650, 150, false},
                          {3, 0, 0, true},     {10, 0, 0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.fireMode));
        pyro_test::reset(linearScale());
        FireCall call;
        call.fireMode = c.fireMode;
        const FireResult r = fire(PyroInputs{}, call);
        EXPECT_EQ(r.maxTemp, c.upper);
        EXPECT_EQ(r.minTemp, c.lower);
        EXPECT_EQ(r.level != kSentinel, c.levelWritten);
        const auto drc = callsTo("PYRO_DrcFireAdaptive2DifferentMode");
        ASSERT_EQ(drc.size(), 1u);
        // width, height, high, low, mode - 4, param 4, params 1-3 (low 16 bits), centre degC
        EXPECT_EQ(drc[0]->values[2], c.upper == c.lower ? 1001 : 1000 + c.upper);
        EXPECT_EQ(drc[0]->values[3], 1000 + c.lower);
        EXPECT_EQ(drc[0]->values[4], c.fireMode - 4);
    }
}

TEST_F(PyroTest, FireDrcRunsOnTheCallersFrameWithTheChosenSet) {
    PyroInputs in;
    const PYRO_PARAM p = in.param();
    std::vector<float> matrix(12);
    getNewTempWithPyro_dll("DV35", 4, 3, p.y16Data, p.y16Count, p.calibData, p.calibLength,
                           p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                           p.sceneCLength, p.paramLine, p.paramLineLength, matrix.data(), 0.95f,
                           2.0f, 23.0f);
    struct Case {
        int drcSetIndex;
        int expectedSets;  // FireDRCSetParams calls: the one at open, and one for 0..3
    };
    for (const Case c : {Case{-1, 1}, Case{4, 1}, Case{0, 2}, Case{1, 2}, Case{3, 2}}) {
        SCOPED_TRACE("set " + std::to_string(c.drcSetIndex));
        pyro_test::reset();
        FireCall call;
        call.drcSetIndex = c.drcSetIndex;
        const FireResult r = fire(in, call);
        const auto sets = callsTo("PYRO_FireDRCSetParams");
        ASSERT_EQ(int(sets.size()), c.expectedSets);
        if (c.drcSetIndex == 1) {
            EXPECT_EQ(sets[1]->values[0], 320);
        }
        const auto drc = callsTo("PYRO_DrcFireAdaptive2DifferentMode");
        ASSERT_EQ(drc.size(), 1u);
        EXPECT_EQ(drc[0]->address, in.frame.data());
        EXPECT_EQ(std::vector<double>(drc[0]->values.begin() + 5, drc[0]->values.end()),
                  (std::vector<double>{99, 4464, 2, 3, std::trunc(matrix[8])}));
        EXPECT_TRUE(r.rgb.canariesIntact());
        EXPECT_NE(r.rgb.contents(), std::vector<uint8_t>(36, 0xA5));
    }
}

// Only the fire list has a DRC handle: other models get the window and level, not the image.
// A fire model whose init failed still draws, with unmeasured ends (0, repaired to 1).
TEST_F(PyroTest, FireImageNeedsADrcHandle) {
    FireCall call;
    call.model = "DV28";
    pyro_test::reset(linearScale());
    FireResult r = fire(PyroInputs{}, call);
    EXPECT_EQ(r.rgb.contents(), std::vector<uint8_t>(36, 0xA5));
    EXPECT_EQ(r.maxTemp, 650.0f);
    EXPECT_NE(r.level, kSentinel);

    pyro_test::reset(faultsWith([](auto& f) { f.initFails = true; }));
    r = fire(PyroInputs{});
    const auto drc = callsTo("PYRO_DrcFireAdaptive2DifferentMode");
    ASSERT_EQ(drc.size(), 1u);
    EXPECT_EQ(drc[0]->values[2], 1);  // high
    EXPECT_EQ(drc[0]->values[3], 0);  // low
    EXPECT_EQ(drc[0]->values.back(), 0);  // no measured centre
    EXPECT_NE(r.rgb.contents(), std::vector<uint8_t>(36, 0xA5));
}

TEST_F(PyroTest, FireCentreOfASingleEvenRowIsItsLastPixel) {
    PyroInputs in;
    in.width = 4;
    in.height = 1;
    in.frame = {1000, 1100, 1200, 1150};
    pyro_test::reset(linearScale());
    EXPECT_EQ(fire(in).level, 0.25f);  // the last sample, Y(150)
}

}  // namespace
}  // namespace kmm
