// Grey images through the closed library: the automatic window (measured range reported,
// the offset frame drawn), the manual window (two conversions, high first, handed over as
// given), and the outputs left alone when the library declines.
#include <algorithm>
#include <string>
#include <vector>

#include "guarded_buffer.h"
#include "pyro_fixture.h"

namespace kmm {
namespace {

constexpr uint8_t kGreySentinel = 0xA5;
constexpr float kSentinel = -999.0f;

struct GreyResult {
    GuardedBuffer<uint8_t> grey{12, kGreySentinel};
    float maxTemp = kSentinel;
    float minTemp = kSentinel;
};

void greyPlain(const char* model, const PyroInputs& in, bool autoRange, GreyResult& r) {
    const PYRO_PARAM p = in.param();
    y16MappingWithPyro_dll(model, r.grey.data(), &r.maxTemp, &r.minTemp, autoRange, in.width,
                           in.height, p.y16Data, p.y16Count, p.calibData, p.calibLength,
                           p.sceneB, p.sceneBLength, p.sceneA, p.sceneALength, p.sceneC,
                           p.sceneCLength, p.paramLine, p.paramLineLength, 0.95f, 2.0f, 23.0f);
}

void greyRecord(const char* model, const PyroInputs& in, bool autoRange, GreyResult& r) {
    PYRO_MEASUREPARAM m{0.95f, 2.0f, 23.0f, 0, 0, 0};
    KestrelModuleMeasureMin::y16MappingWithPyro_dll(model, r.grey.data(), &r.maxTemp,
                                                    &r.minTemp, autoRange, in.param(), m);
}

// The grey step, from its last "BaseControl 14: 1" (fire models send it at set-up as well):
// image output, the image defaults, selector 42, the window, then the frame.
void expectGreyStep(const std::string& dimming) {
    const auto lines = journalLines();
    const auto at = std::find(lines.rbegin(), lines.rend(), "PYRO_BaseControl 14: 1");
    ASSERT_NE(at, lines.rend());
    EXPECT_EQ(std::vector<std::string>(std::prev(at.base()), lines.end()),
              (std::vector<std::string>{"PYRO_BaseControl 14: 1", "PYRO_ImageControl 3: 255",
               "PYRO_ImageControl 4: 100", "PYRO_ImageControl 22: 1", "PYRO_ImageControl 23: 1",
               "PYRO_ImageControl 29: 256", "PYRO_ImageControl 30: 1", "PYRO_ImageControl 31: 1",
               "PYRO_ImageControl 34: 20", "PYRO_ImageControl 35: 180", "PYRO_ImageControl 36: 145",
               "PYRO_ImageControl 37: 32", "PYRO_ImageControl 38: 7", "PYRO_ImageControl 42: 1",
               dimming, "PYRO_UpdateParamLine 822", "PYRO_ISP_Y8 24 12", "PYRO_Uninit"}));
}

TEST_F(PyroTest, AutomaticRangeReportsTheMeasuredRangeAndDrawsTheOffsetFrame) {
    PyroInputs in;  // DV28, range mode 1, offset 40
    std::vector<float> matrix(12, kSentinel);
    measureMatrix("DV28", in.param(), matrix.data());
    for (bool record : {false, true}) {
        SCOPED_TRACE(record ? "record" : "plain");
        pyro_test::reset();
        GreyResult r;
        (record ? greyRecord : greyPlain)("DV28", in, true, r);
        EXPECT_EQ(r.maxTemp, *std::max_element(matrix.begin(), matrix.end()));
        EXPECT_EQ(r.minTemp, *std::min_element(matrix.begin(), matrix.end()));
        // The window starts as the first sample and stays so: the library finds its own.
        expectGreyStep("PYRO_DimmingType 2 12000 12000");
        const auto y8 = callsTo("PYRO_ISP_Y8");
        ASSERT_EQ(y8.size(), 1u);
        for (size_t i = 0; i < 12; ++i) EXPECT_EQ(y8[0]->samples[i], in.frame[i] + 40);
        EXPECT_EQ(r.grey[0], 0);  // the stretch puts the coolest pixel at black
        EXPECT_EQ(r.grey[11], 255);
        EXPECT_TRUE(r.grey.canariesIntact());
    }
    // A single pixel's range is one value.
    in.width = in.height = 1;
    in.frame = {14000};
    GreyResult r;
    greyPlain("XY99", in, true, r);
    EXPECT_NE(r.maxTemp, kSentinel);
    EXPECT_EQ(r.maxTemp, r.minTemp);
}

TEST_F(PyroTest, ManualRangeConvertsHighThenLowAndDrawsTheCallersFrame) {
    struct Case {
        const char* model;
        bool record;
        float high, low;
        const char* dimming;  // library Y16 = 10 x degC; minus 40 where the offset applies
    };
    const Case cases[] = {
        {"DV28", false, 60.0f, 20.0f, "PYRO_DimmingType 3 560 160"},
        {"DV34", false, 60.0f, 20.0f, "PYRO_DimmingType 3 600 200"},
        {"DV34", true, 60.0f, 20.0f, "PYRO_DimmingType 3 560 160"},
        {"XY99", false, 20.0f, 60.0f, "PYRO_DimmingType 3 200 600"},  // reversed, unchanged
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.model) + (c.record ? " record" : " plain"));
        pyro_test::reset(faultsWith([](auto& f) {
            f.calcY16 = [](float t) { return int16_t(t * 10.0f); };
        }));
        PyroInputs in;
        GreyResult r;
        r.maxTemp = c.high;
        r.minTemp = c.low;
        (c.record ? greyRecord : greyPlain)(c.model, in, false, r);
        const auto conversions = callsTo("PYRO_CalcY16ByTemp");
        ASSERT_EQ(conversions.size(), 2u);
        EXPECT_EQ(conversions[0]->values[0], c.high);
        EXPECT_EQ(conversions[1]->values[0], c.low);
        expectGreyStep(c.dimming);
        EXPECT_EQ(callsTo("PYRO_ISP_Y8")[0]->samples, in.frame);
        EXPECT_EQ(r.maxTemp, c.high);
        EXPECT_EQ(r.minTemp, c.low);
    }
}

// No instance, a declined window, or no scene C: the image stays as it was. A refused scene
// only stops the measurement and conversions: the grey step still draws. The automatic
// window's range is reported whenever there was a measurement.
TEST_F(PyroTest, GreyOutputsWhenTheLibraryDeclines) {
    struct Case {
        const char* what;
        pyro_test::Faults faults;
        bool sceneC, greyWritten, rangeWritten;
    };
    const std::vector<Case> cases = {
        {"no instance", faultsWith([](auto& f) { f.initFails = true; }), true, false, false},
        {"scene refused", faultsWith([](auto& f) { f.setSceneResult = 2; }), true, true, false},
        {"window declined", faultsWith([](auto& f) { f.dimmingResult = 5; }), true, false, true},
        {"no scene C", {}, false, false, true},
    };
    for (const Case& c : cases) {
        for (bool autoRange : {true, false}) {
            SCOPED_TRACE(std::string(c.what) + (autoRange ? " auto" : " manual"));
            pyro_test::reset(c.faults);
            PyroInputs in;
            in.withSceneC = c.sceneC;
            GreyResult r;
            greyPlain("DV28", in, autoRange, r);
            EXPECT_EQ(r.grey.contents() != std::vector<uint8_t>(12, kGreySentinel), c.greyWritten);
            EXPECT_EQ(callsTo("PYRO_ISP_Y8").size(), c.greyWritten ? 1u : 0u);
            EXPECT_EQ(r.maxTemp != kSentinel, autoRange && c.rangeWritten);
            EXPECT_EQ(r.minTemp != kSentinel, autoRange && c.rangeWritten);
        }
    }
}

TEST_F(PyroTest, GreyBadArgumentsCallNothing) {
    PyroInputs in;
    PYRO_PARAM p = in.param();
    PYRO_MEASUREPARAM m{};
    GreyResult r;
    y16MappingWithPyro_dll("DV28", nullptr, &r.maxTemp, &r.minTemp, true, 4, 3, p.y16Data,
                           p.y16Count, p.calibData, p.calibLength, p.sceneB, p.sceneBLength,
                           p.sceneA, p.sceneALength, p.sceneC, p.sceneCLength, p.paramLine,
                           p.paramLineLength, 1, 1, 1);
    KestrelModuleMeasureMin::y16MappingWithPyro_dll("DV28", r.grey.data(), nullptr, &r.minTemp,
                                                    true, p, m);
    p.y16Count = -1;
    KestrelModuleMeasureMin::y16MappingWithPyro_dll("DV28", r.grey.data(), &r.maxTemp,
                                                    &r.minTemp, true, p, m);
    in.frame.resize(11);
    greyPlain("DV28", in, true, r);
    EXPECT_TRUE(pyro_test::journal().empty());
    EXPECT_EQ(r.grey.contents(), std::vector<uint8_t>(12, kGreySentinel));
    EXPECT_EQ(r.maxTemp, kSentinel);
}

}  // namespace
}  // namespace kmm
