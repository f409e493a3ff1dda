// imageMapping_dll: unlisted names take the Kelvin mapping, the pipeline family's codes and range
// write-back, the tuning switch, and untouched outputs on bad input.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "imagemap/image_mapping.h"
#include "imagemap/kelvin_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "real_frames.h"

namespace kmm {
namespace {

constexpr uint8_t kCanary = 0xC3;
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Result {
    std::vector<uint8_t> image;  // width x height bytes and one canary
    float maxTemp, minTemp;
    bool operator==(const Result&) const = default;
};

Result mapped(const char* model, const std::vector<float>& temps, int32_t width, int32_t height,
              float maxTemp, float minTemp, bool autoRange, float tuning = 150.0f) {
    Result r{std::vector<uint8_t>(temps.size() + 1, kCanary), maxTemp, minTemp};
    imageMapping_dll(model, tuning, temps.data(), r.image.data(), width, height, &r.maxTemp,
                     &r.minTemp, autoRange);
    EXPECT_EQ(r.image.back(), kCanary) << model;
    return r;
}

TEST(ImageMapping, TemperatureCodesTruncateAndWrap) {
    const std::pair<float, int16_t> rows[] = {
        {-0.07f, -1}, {36.57f, 731}, {25.0f, 500}, {1638.35f, 32767},
        {1700.0f, -31536},                       // 34000 kept in 16 bits
        {kNaN, 0},    {kInf, -1},    {-kInf, 0}};  // 2^31 - 1 saturated, then wrapped
    for (auto [celsius, code] : rows) EXPECT_EQ(temperatureCode(celsius), code) << celsius;
    EXPECT_EQ(offsetCode(75.0f, 100), 2500);
    EXPECT_EQ(offsetCode(49.99f, 10), 0);  // -0.1 truncates toward zero
}

TEST(ImageMapping, PipelineRangeComesBackQuantised) {
    struct Row { std::vector<float> temps; float maxIn, minIn; bool autoRange; float maxOut, minOut; };
    const Row rows[] = {{std::vector<float>(64, 25.0f), 0, 0, true, 25.0f, 25.0f},
                        {std::vector<float>(64, 30.0f), 36.57f, 20.0f, false, 36.55f, 20.0f},
                        {std::vector<float>(64, 5.0f), 10.0f, -0.07f, false, 10.0f, -0.05f},
                        {{-0.07f, 12.34f, kNaN, 99.99f}, 0, 0, true, 99.95f, -0.05f}};
    for (const Row& r : rows) {
        const Result out = mapped("DV07", r.temps, int32_t(r.temps.size()), 1, r.maxIn, r.minIn, r.autoRange);
        EXPECT_EQ(out.maxTemp, r.maxOut) << r.maxIn;
        EXPECT_EQ(out.minTemp, r.minOut) << r.minIn;
    }
    // Mixed mapping under the preset: a uniform frame lands on brightness 60 in both halves.
    EXPECT_EQ(mapped("DV07", std::vector<float>(100, 25.0f), 10, 10, 0, 0, true).image,
              [] { std::vector<uint8_t> v(101, 60); v.back() = kCanary; return v; }());
}

// The family's shortcuts (strips for the plain window, the converted ends standing in for
// the histogram's scan, one work block) against the pipeline configured as the family runs
// it, over the codes, on real frames turned into temperatures; one frame reaches past the
// 16-bit codes, so its codes wrap and the ends no longer bound them.
TEST(ImageMapping, PipelineFamilyEqualsThePipelineOverTheCodes) {
    const auto frames = realFramesY16();
    ASSERT_GE(frames.size(), 2u);
    for (const float scale : {0.01f, 0.3f}) {
        std::vector<float> temps(kRealPixels);
        std::vector<int16_t> codes(kRealPixels);
        for (size_t i = 0; i < kRealPixels; ++i) {
            temps[i] = float(frames[scale == 0.01f ? 0 : 1][i]) * scale - 20.0f;
            codes[i] = temperatureCode(temps[i]);
        }
        for (const auto& [autoRange, fine] : {std::pair{true, false}, {false, false}, {true, true}, {false, true}}) {
            const Result got = mapped("DV07", temps, kRealWidth, kRealHeight, 60.0f, 10.0f, autoRange, fine ? 1.0f : 150.0f);
            ImagePipeline pipeline(kRealWidth, kRealHeight, 1.0f);
            pipeline.setColumnStripeFilter(false), pipeline.setPseudoColour(false);
            pipeline.setMappingMode(autoRange ? 2 : 3), pipeline.setCustomTuning(fine), pipeline.setPresetTuning(true);
            pipeline.setSmoothing(fine && !autoRange), pipeline.setSmoothingSigma(5), pipeline.setLinearBrightness(60);
            pipeline.setRangeHigh(temperatureCode(60.0f)), pipeline.setRangeLow(temperatureCode(10.0f));
            std::vector<uint8_t> want(kRealPixels + 1, kCanary);
            ASSERT_TRUE(pipeline.run(codes.data(), want.data(), kRealPixels));
            EXPECT_EQ(got.image, want) << scale << " auto " << autoRange << " fine " << fine;
        }
    }
}

TEST(ImageMapping, FineTuningSmoothsAManualWindow) {
    // 520 degC on 20 under a 20..140 degC window: only the fine tuning (150.5, or NaN) spreads
    // it, by a Gaussian of sigma 0.5 px: edge 0.0838, corner 0.0113, so 61.9 and 25.7 degC.
    std::vector<float> temps(9 * 9, 20.0f);
    temps[40] = 520.0f;
    EXPECT_EQ(mapped("DV07", temps, 9, 9, 140.0f, 20.0f, false, 150.0f).image[39], 0);
    const Result fine = mapped("DV07", temps, 9, 9, 140.0f, 20.0f, false, 150.5f);
    EXPECT_EQ(std::vector<uint8_t>({fine.image[39], fine.image[30]}), (std::vector<uint8_t>{178, 24}));
    EXPECT_EQ(mapped("DV07", temps, 9, 9, 140.0f, 20.0f, false, kNaN), fine);
}

TEST(ImageMapping, UnlistedNamesTakeTheKelvinMappingUntouched) {
    std::vector<float> temps(40 * 30);  // a gradient from 18 to 30 degC with a 36 degC block
    for (int i = 0; i < 1200; ++i) {
        const int x = i % 40, y = i / 40;
        temps[i] = (x > 10 && x < 20 && y > 8 && y < 22) ? 36.0f : 18.0f + 0.3f * x;
    }
    for (bool autoRange : {true, false}) {
        Result direct{std::vector<uint8_t>(temps.size() + 1, kCanary), 34.0f, 19.0f};
        mapKelvinFrame(150.0f, {temps.data(), 40, 30}, direct.image.data(), 255, 80,
                       direct.maxTemp, direct.minTemp, autoRange);
        for (const char* name : {"XY99", "dv07", "DV07 ", "DV01-w", ""})
            EXPECT_EQ(mapped(name, temps, 40, 30, 34.0f, 19.0f, autoRange), direct) << "'" << name << "'";
    }
}

TEST(ImageMapping, OffsetFamilyScaleFollowsTheLargestTemperature) {
    // Window 100..250 degC over 150 degC: the caller's 250 picks scale 10, codes 1000 in
    // 500..2000, 130560 / 1500 = 87, (500 x 87) >> 9 = 84; a manual window is not written back.
    const Result manual = mapped("DV01", std::vector<float>(16, 150.0f), 4, 4, 250.0f, 100.0f, false);
    EXPECT_EQ(manual.image[0], 84);
    EXPECT_EQ(manual.maxTemp, 250.0f);
    EXPECT_EQ(manual.minTemp, 100.0f);
    // Exactly 200 degC keeps scale 10 both ways: code 1500 smooths to 1499 (kernel sum 4094).
    const Result hot = mapped("DV05", std::vector<float>(16, 200.0f), 4, 4, 0, 0, true);
    EXPECT_EQ(hot.maxTemp, 1499.0f / 10.0f + 50.0f);
    EXPECT_EQ(hot.minTemp, hot.maxTemp);
    // Past the first strip of 2048 pixels a manual window maps each strip's own temperatures.
    std::vector<float> strips(4096, 20.0f);
    std::fill(strips.begin() + 2048, strips.end(), 80.0f);
    EXPECT_EQ(mapped("DV01", strips, 64, 64, 100.0f, 10.0f, false).image[4095],
              mapped("DV01", {80.0f}, 1, 1, 100.0f, 10.0f, false).image[0]);
    // A frame reaching exactly 200 degC under a window below it is coded at scale 10: 150 degC,
    // code 1000 in 500..1490, gives (500 x 131) >> 9 = 127 (at scale 100, 126).
    EXPECT_EQ(mapped("DV01", {200.0f, 150.0f}, 2, 1, 199.0f, 100.0f, false).image[1], 127);
    // A window ending exactly at 200 degC is coded at scale 10 too: 105.18 degC gives 12 (13 at 100).
    EXPECT_EQ(mapped("DV01", {105.18f}, 1, 1, 200.0f, 100.0f, false).image[0], 12);
    // An automatic range ignores the caller's stale 250: 150 degC keeps scale 100 (149.95, not 149.9).
    EXPECT_NEAR(mapped("DV05", std::vector<float>(16, 150.0f), 4, 4, 250.0f, 0, true).maxTemp, 149.95f, 0.01f);
}

TEST(ImageMapping, UnusableArgumentsWriteNothingInAnyFamily) {
    // Null pointers and unusable sizes leave image, limits and canaries as they were.
    const std::vector<float> temps(100, 25.0f);
    // {model, width, height, null: 1 input, 2 image, 4 max, 8 min}
    for (auto [model, width, height, nulls] : {std::tuple<const char*, int32_t, int32_t, int>{
             nullptr, 4, 4, 0}, {"DV07", 4, 4, 1}, {"DV07", 4, 4, 2}, {"DV01", 4, 4, 4},
             {"XY99", 4, 4, 8}, {"DV07", 0, 4, 0}, {"DV01", 4, -4, 0}, {"XY99", 65536, 65536, 0},
             {"DV01", -10, -10, 0}}) {
        SCOPED_TRACE(testing::Message() << (model ? model : "null") << " " << width << "x"
                                        << height << " nulls " << nulls);
        GuardedBuffer<uint8_t> image(100);
        float maxTemp = 1.5f, minTemp = -1.5f;
        imageMapping_dll(model, 150.0f, nulls & 1 ? nullptr : temps.data(),
                         nulls & 2 ? nullptr : image.data(), width, height,
                         nulls & 4 ? nullptr : &maxTemp, nulls & 8 ? nullptr : &minTemp, true);
        EXPECT_EQ(std::pair(maxTemp, minTemp), std::pair(1.5f, -1.5f));
        EXPECT_EQ(image.contents(), std::vector<uint8_t>(100, 0xA5));
    }
}

TEST(ImageMapping, NonFiniteTemperaturesMapAsTheFrameFiniteEnds) {
    // A gradient with a hot block, 17 x 9: +inf must map as its hottest pixel, -inf and NaN as
    // its coldest, wherever they sit (the first pixel included) and in every family.
    std::vector<float> temps(17 * 9);
    for (size_t i = 0; i < temps.size(); ++i) temps[i] = (i % 17 > 8 && i / 17 > 3) ? 41.5f : 12.0f + 0.7f * float(i % 17);
    const struct { size_t index; float value, standsFor; } spots[] = {
        {0, kNaN, 12.0f}, {20, kInf, 41.5f}, {77, -kInf, 12.0f}, {152, kInf, 41.5f}, {100, -kNaN, 12.0f}};
    std::vector<float> dirty = temps, clean = temps;
    for (const auto& s : spots) {
        dirty[s.index] = s.value;
        clean[s.index] = s.standsFor;
    }
    const std::vector<float> none = {kNaN, kInf, -kInf, kNaN, -kNaN, kInf}, zeros(none.size(), 0.0f);
    const std::vector<float> one = {kNaN, 25.0f, kInf, -kInf, 25.0f, -kNaN}, all25(one.size(), 25.0f);
    for (const char* model : {"DV07", "DV01", "XY99"}) {
        for (bool autoRange : {true, false}) {
            SCOPED_TRACE(testing::Message() << model << " auto " << autoRange);
            EXPECT_EQ(mapped(model, dirty, 17, 9, 30.0f, 15.0f, autoRange),
                      mapped(model, clean, 17, 9, 30.0f, 15.0f, autoRange));
            EXPECT_EQ(mapped(model, none, 3, 2, 30.0f, 15.0f, autoRange),
                      mapped(model, zeros, 3, 2, 30.0f, 15.0f, autoRange));
            EXPECT_EQ(mapped(model, one, 3, 2, 30.0f, 15.0f, autoRange),
                      mapped(model, all25, 3, 2, 30.0f, 15.0f, autoRange));
        }
    }
}

}  // namespace
}  // namespace kmm
