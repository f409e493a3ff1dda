// Grey images through the closed library: the automatic window (measured range reported,
// the offset frame drawn), the manual window (two conversions, high first, handed over as
// given), and the image left alone when the library declines the window or scene C is absent.
#include <algorithm>
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
    const struct {
        const char* model;
        Export form;
        bool upsideDown;
        const char* dimming;
        uint16_t frameOffset;
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

}  // namespace
}  // namespace kmm
