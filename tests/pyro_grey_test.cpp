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

TEST_F(PyroTest, AutomaticRangeReportsTheMeasuredRangeAndDrawsTheOffsetFrame) {
    PyroInputs in;  // DV28, range mode 1, offset 40
    PyroOutputs measured;
    callExport(Export::Matrix, "DV28", in.param(), measured);
    const std::vector<float> matrix = measured.matrix.contents();
    for (Export form : {Export::GreyAuto, Export::GreyRecordAuto}) {
        SCOPED_TRACE(nameOf(form));
        pyro_test::reset();
        PyroOutputs out(12);
        callExport(form, "DV28", in.param(), out);
        EXPECT_EQ(out.maxTemp, *std::max_element(matrix.begin(), matrix.end()));
        EXPECT_EQ(out.minTemp, *std::min_element(matrix.begin(), matrix.end()));
        // The window starts as the first sample and stays so: the library finds its own.
        expectGreyStep("PYRO_DimmingType 2 12000 12000");
        const auto y8 = callsTo("PYRO_ISP_Y8");
        ASSERT_EQ(y8.size(), 1u);
        for (size_t i = 0; i < 12; ++i) EXPECT_EQ(y8[0]->samples[i], in.frame[i] + 40);
        EXPECT_EQ(out.image[0], 0);  // the stretch puts the coolest pixel at black
        EXPECT_EQ(out.image[11], 255);
        EXPECT_EQ(out.image[12], PyroOutputs::kUnsetByte);  // a grey image is a byte a pixel
        EXPECT_TRUE(out.image.canariesIntact());
    }
}

// The window 60.25 to 20.5 degC, on a library whose Y16 is 10 x degC.
TEST_F(PyroTest, ManualRangeConvertsHighThenLowAndDrawsTheCallersFrame) {
    struct Case {
        const char* model;
        Export form;
        bool upsideDown;
        const char* dimming;  // minus 40 where the offset applies
    };
    const Case cases[] = {
        {"DV28", Export::GreyManual, false, "PYRO_DimmingType 3 562 165"},
        {"DV34", Export::GreyManual, false, "PYRO_DimmingType 3 602 205"},
        {"DV34", Export::GreyRecordManual, false, "PYRO_DimmingType 3 562 165"},
        {"XY99", Export::GreyManual, true, "PYRO_DimmingType 3 205 602"},  // handed as given
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + ", " + nameOf(c.form));
        pyro_test::reset(fixedY16([](float t) { return int16_t(t * 10.0f); }));
        PyroInputs in;
        PyroOutputs out;
        if (c.upsideDown) std::swap(out.maxTemp, out.minTemp);
        const float high = out.maxTemp, low = out.minTemp;
        callExport(c.form, c.model, in.param(), out);
        const auto conversions = callsTo("PYRO_CalcY16ByTemp");
        ASSERT_EQ(conversions.size(), 2u);
        EXPECT_EQ(conversions[0]->values[0], high);
        EXPECT_EQ(conversions[1]->values[0], low);
        expectGreyStep(c.dimming);
        EXPECT_EQ(callsTo("PYRO_ISP_Y8")[0]->samples, in.frame);
        EXPECT_EQ(out.maxTemp, high);  // only read
        EXPECT_EQ(out.minTemp, low);
    }
}

// A declined window or no scene C: the image stays as it was; the automatic window's range
// was measured and is reported.
TEST_F(PyroTest, GreyImageLeftWhenTheLibraryDeclinesOrSceneCIsAbsent) {
    struct Case {
        const char* what;
        pyro_test::Faults faults;
        bool sceneC;
    };
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
