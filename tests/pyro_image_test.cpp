// Grey and fire colour images through the closed library: the automatic and manual grey
// windows, the image left alone when the library declines; the fire preset windows, the DRC on
// the caller's frame with the chosen parameter set, and fireLevel's segments.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "pyro_fixture.h"

namespace kmm {
namespace {

// The grey step, from its last image-output switch (fire models send one at set-up as well):
// the image preset, the scale, the window, then the frame.
void expectGreyStep(const std::string& dimming) {
    const Lines lines = journalLines();
    const auto at = std::find(lines.rbegin(), lines.rend(), base(PYRO_BASE_OUTPUT, {1}));
    ASSERT_NE(at, lines.rend());
    const Lines expected = Lines{base(PYRO_BASE_OUTPUT, {1})} + kImagePreset +
                           Lines{control("PYRO_ImageControl", PYRO_IMAGE_SCALE, {1}), dimming,
                                 "PYRO_UpdateParamLine 822", "PYRO_ISP_Y8 24 12", "PYRO_Uninit"};
    EXPECT_EQ(Lines(std::prev(at.base()), lines.end()), expected);
}

// The automatic window starts as the first sample and stays so (the library finds its own),
// the measured range is reported and the offset frame drawn; the manual window (60.25 to
// 20.5 degC on a library whose Y16 is 10 x degC) is converted high first, less the offset
// where the list takes it off, handed over as given, and the caller's frame drawn.
TEST_F(PyroTest, GreyWindowAndFrameByForm) {
    PyroInputs in;  // range mode 1, offset 40
    PyroOutputs measured;
    callExport(Export::Matrix, "DV28", in.param(), measured);
    const std::vector<float> matrix = measured.matrix.contents();
    const struct { const char* model; Export form; bool upsideDown; const char* dimming; uint16_t frameOffset;
         } cases[] = {
        {"DV28", Export::GreyAuto, false, "PYRO_DimmingType 2 12000 12000", 40},
        {"DV28", Export::GreyRecordAuto, false, "PYRO_DimmingType 2 12000 12000", 40},
        {"DV28", Export::GreyManual, false, "PYRO_DimmingType 3 562 165", 0},
        {"DV34", Export::GreyManual, false, "PYRO_DimmingType 3 602 205", 0},
        {"DV34", Export::GreyRecordManual, false, "PYRO_DimmingType 3 562 165", 0},
        {"XY99", Export::GreyManual, true, "PYRO_DimmingType 3 205 602", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + ", " + nameOf(c.form));
        pyro_test::reset(fixedY16([](float t) { return int16_t(t * 10.0f); }));
        PyroOutputs out;
        if (c.upsideDown) std::swap(out.maxTemp, out.minTemp);
        const float high = out.maxTemp, low = out.minTemp;
        callExport(c.form, c.model, in.param(), out);
        expectGreyStep(c.dimming);
        auto frame = in.frame;
        for (auto& v : frame) v = uint16_t(v + c.frameOffset);
        ASSERT_EQ(callsTo("PYRO_ISP_Y8").size(), 1u);
        EXPECT_EQ(callsTo("PYRO_ISP_Y8")[0]->samples, frame);
        if (c.form == Export::GreyAuto || c.form == Export::GreyRecordAuto) {
            EXPECT_EQ(out.maxTemp, *std::max_element(matrix.begin(), matrix.end()));
            EXPECT_EQ(out.minTemp, *std::min_element(matrix.begin(), matrix.end()));
            EXPECT_EQ(out.image[0], 0);  // the stretch puts the coolest pixel at black
            EXPECT_EQ(out.image[11], 255);
        } else {
            const auto conversions = callsTo("PYRO_CalcY16ByTemp");
            ASSERT_EQ(conversions.size(), 2u);
            EXPECT_EQ(conversions[0]->values[0], high);
            EXPECT_EQ(conversions[1]->values[0], low);
            EXPECT_EQ(out.maxTemp, high);  // only read
            EXPECT_EQ(out.minTemp, low);
        }
        EXPECT_EQ(out.image[12], PyroOutputs::kUnsetByte);  // a grey image is a byte a pixel
    }
}

// A declined window or no scene C: the image stays as it was; the automatic window's range
// was measured and is reported.
TEST_F(PyroTest, GreyImageLeftWhenTheLibraryDeclinesOrSceneCIsAbsent) {
    struct Case { const char* what; pyro_test::Faults faults; bool sceneC; };
    const std::vector<Case> cases = {
        {"window declined", faultsWith([](auto& f) { f.dimmingResult = 5; }), true},
        {"no scene C", {}, false},
    };
    for (const Case& c : cases) {
        for (Export form : {Export::GreyAuto, Export::GreyManual, Export::GreyRecordAuto}) {
            SCOPED_TRACE(std::string(c.what) + ", " + nameOf(form));
            pyro_test::reset(c.faults);
            PyroInputs in;
            in.withSceneC = c.sceneC;
            PyroOutputs out;
            callExport(form, "DV28", in.param(), out);
            EXPECT_FALSE(out.imageDrawn());
            EXPECT_TRUE(callsTo("PYRO_ISP_Y8").empty());
            EXPECT_EQ(out.rangeWritten(), form != Export::GreyManual);
        }
    }
}

constexpr float kSentinel = PyroOutputs::kUnset;

// Y16 = 1000 + degC: Y(-20) = 980, Y(0) = 1000, Y(150) = 1150, Y(650) = 1650, Y(2000) = 3000.
int16_t linear(float t) { return int16_t(1000 + int(t)); }
pyro_test::Faults linearScale() { return fixedY16(linear); }

// DRC parameters 70000, 2, 3, 99: the first passes its low 16 bits, 4464.
PyroOutputs fire(const PyroInputs& in, int fireMode = 4, int drcSetIndex = -1, const char* model = "DV35") {
    PyroOutputs out(size_t(in.width * in.height));
    callExport(Export::Fire, model, in.param(), out,
               {.fireMode = fireMode, .drcSetIndex = drcSetIndex});
    return out;
}

// The centre pixel (index 8 of the 4 x 3 frame) holding y. A scale the library makes unusable
// (all alike, or Y(150) = Y(650)) leaves only the levels below and above it.
TEST_F(PyroTest, FireLevelBySegmentAndMode) {
    struct Case {
        int fireMode;
        uint16_t y;
        float level;
        int16_t (*scale)(float) = linear;
    };
    const float pow06 = 0.659753955f;  // 0.5^0.6
    const auto flat = [](float) { return int16_t(1000); };
    const auto cut150 = [](float t) { return int16_t(1000 + int(std::min(t, 150.0f))); };
    const Case cases[] = {
        {4, 1150, 0.25f},          // exactly Y(150): the end of segment 0
        {4, 1075, pow06 * 0.25f},  // half-way up segment 0: a power curve
        {5, 1225, 0.35f},          // segment 1, half-way: 0.25 + 0.20 / 2
        {4, 1375, 0.55f},          // segment 2
        {4, 1550, 0.80f},          // segment 3
        {4, 2325, 0.975f},         // segment 4 (650 to 2000 degC)
        {4, 990, 0.0f}, {4, 900, 0.0f},  // below Y(0) and Y(-20): no real power, held at 0
        {4, 3675, 1.025f},         // above Y(2000) the last segment carries on
        {6, 1125, pow06 * 0.375f}, {6, 1325, 0.475f},
        {6, 1575, 0.825f},         // segment 3: 500 to 650 degC
        {7, 1050, pow06 * 0.625f},
        {8, 1110, 0.687f},         // segment 1: 0.625 + 0.155 * 0.4
        {7, 1400, 0.975f}, {8, 1800, 1.015f},  // segment 3: 150 to 650 degC, and on above it
        {3, 1400, 0.0f},           // no mode: level 0
        {4, 1000, kSentinel, flat}, {4, 999, 0.0f, flat}, {4, 1001, 1.0f, flat},
        {4, 1100, kSentinel, cut150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(c.fireMode) + " y " + std::to_string(c.y));
        pyro_test::reset(fixedY16(c.scale));
        PyroInputs in;
        in.frame[8] = c.y;
        EXPECT_NEAR(fire(in, c.fireMode).level, c.level, 1e-6f);
    }
    // A single even row's centre is its last pixel: Y(150).
    pyro_test::reset(linearScale());
    PyroInputs row;
    row.height = 1, row.frame = {1000, 1100, 1200, 1150};
    EXPECT_EQ(fire(row).level, 0.25f);
}

// The window ends as Y16 go to the DRC (equal ends become low + 1), which runs on the caller's
// frame with the chosen parameter set (loaded after set 0 of the open; out of range: none).
// Only the fire list has a DRC handle: other models get the window and level, not the image.
TEST_F(PyroTest, FireWindowByModeAndTheDrcOnTheCallersFrame) {
    PyroInputs in;
    PyroOutputs measured;
    callExport(Export::Matrix, "DV35", in.param(), measured);
    using Set = std::vector<double>;
    const Set set0 = {256, 108, 256, 256, 128, 80, 2, 2, 30, 32, 11},
              set1 = {320, 108, 256, 256, 108, 200, 8, 5, 48, 32, 11},
              set2 = {256, 108, 256, 256, 108, 80, 2, 2, 30, 32, 11};
    const struct {
        const char* model;
        int fireMode, drcSetIndex;
        float upper, lower;
        double drcHigh, drcLow;
        bool levelWritten;
        std::vector<Set> sets;  // loaded at open, then the chosen one; none: no DRC
    } cases[] = {
        {"DV35", 4, -1, 650, 150, 1650, 1150, true, {set0}},
        {"DV35", 6, 0, 650, 250, 1650, 1250, true, {set0, set0}},
        {"DV35", 7, 1, 150, 100, 1150, 1100, true, {set0, set1}},
        {"DV35", 8, 2, 150, 100, 1150, 1100, true, {set0, set2}},
        {"DV35", 9, 3, 650, 150, 1650, 1150, false, {set0, set2}},
        {"DV35", 3, 4, 0, 0, 1001, 1000, true, {set0}},
        {"DV35", 10, -1, 0, 0, 1001, 1000, true, {set0}},
        {"DV28", 4, -1, 650, 150, -1, -1, true, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.model) + " mode " + std::to_string(c.fireMode));
        pyro_test::reset(linearScale());
        const PyroOutputs r = fire(in, c.fireMode, c.drcSetIndex, c.model);
        EXPECT_EQ(r.maxTemp, c.upper);
        EXPECT_EQ(r.minTemp, c.lower);
        EXPECT_EQ(r.level != kSentinel, c.levelWritten);
        EXPECT_EQ(r.imageDrawn(), !c.sets.empty());
        std::vector<Set> sets;
        for (const auto* call : callsTo("PYRO_FireDRCSetParams")) sets.push_back(call->values);
        EXPECT_EQ(sets, c.sets);
        const auto drc = callsTo("PYRO_DrcFireAdaptive2DifferentMode");
        ASSERT_EQ(drc.size(), c.sets.empty() ? 0u : 1u);
        if (c.sets.empty()) continue;
        // width, height, high, low, mode - 4, param 4, params 1-3 (low 16 bits), centre degC
        EXPECT_EQ(drc[0]->address, in.frame.data());
        EXPECT_EQ(std::vector<double>(drc[0]->values.begin() + 2, drc[0]->values.end()),
                  (std::vector<double>{c.drcHigh, c.drcLow, double(c.fireMode - 4), 99, 4464, 2, 3,
                                       std::trunc(measured.matrix[8])}));
    }
}

}  // namespace
}  // namespace kmm
