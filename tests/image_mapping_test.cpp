// imageMapping_dll: the family each model name takes, the pipeline family's codes and range
// write-back, the tuning switch, and untouched outputs on bad input.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "KModuleMeasure.h"
#include "imagemap/image_mapping.h"
#include "imagemap/kelvin_mapping.h"
#include "registry/model_registry.h"

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

// A 40 x 30 scene: a gradient from 18 to 30 degC with a 36 degC block.
std::vector<float> scene() {
    std::vector<float> t(40 * 30);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            t[y * 40 + x] = (x > 10 && x < 20 && y > 8 && y < 22) ? 36.0f : 18.0f + 0.3f * x;
    return t;
}

TEST(ImageMapping, TemperatureCodesTruncateAndWrap) {
    const std::pair<float, int16_t> rows[] = {
        {-0.07f, -1},   {36.57f, 731},  {25.0f, 500},      {1638.35f, 32767},
        {1700.0f, -31536},  // 34000 kept in 16 bits
        {-1700.0f, 31536}, {kNaN, 0},  {kInf, -1},  // 2^31 - 1 saturated, then wrapped
        {-kInf, 0}};
    for (auto [celsius, code] : rows) EXPECT_EQ(temperatureCode(celsius), code) << celsius;
    EXPECT_EQ(offsetCode(75.0f, 100), 2500);
    EXPECT_EQ(offsetCode(49.99f, 10), 0);  // -0.1 truncates toward zero
}

TEST(ImageMapping, PipelineRangeComesBackQuantised) {
    struct Row {
        const char* what;
        std::vector<float> temps;
        float maxIn, minIn;
        bool autoRange;
        float maxOut, minOut;
    };
    const Row rows[] = {
        {"uniform 25, auto", std::vector<float>(64, 25.0f), 0.0f, 0.0f, true, 25.0f, 25.0f},
        {"manual 36.57 / 20", std::vector<float>(64, 30.0f), 36.57f, 20.0f, false, 36.55f, 20.0f},
        {"manual -0.07 low", std::vector<float>(64, 5.0f), 10.0f, -0.07f, false, 10.0f, -0.05f},
        {"auto extremes", {-0.07f, 12.34f, kNaN, 99.99f}, 0.0f, 0.0f, true, 99.95f, -0.05f},
    };
    for (const Row& r : rows) {
        const int32_t w = static_cast<int32_t>(r.temps.size());
        for (const char* model : {"DV07", "DV08"}) {
            const Result out = mapped(model, r.temps, w, 1, r.maxIn, r.minIn, r.autoRange);
            EXPECT_EQ(out.maxTemp, r.maxOut) << r.what;
            EXPECT_EQ(out.minTemp, r.minOut) << r.what;
        }
    }
}

TEST(ImageMapping, PipelineUniformFrameLandsOnThePresetBrightness) {
    // Mixed mapping under the preset: linear and equalised halves both at 60.
    const Result out = mapped("DV07", std::vector<float>(100, 25.0f), 10, 10, 0, 0, true);
    EXPECT_EQ(out.image, [] { std::vector<uint8_t> v(101, 60); v.back() = kCanary; return v; }());
}

TEST(ImageMapping, FineTuningSmoothsAManualWindow) {
    // A hot pixel on a flat background, window 20..40 degC: only the fine tuning spreads
    // it into its neighbours (and narrows the window padding).
    std::vector<float> temps(9 * 9, 20.0f);
    temps[4 * 9 + 4] = 40.0f;
    const Result standard = mapped("DV07", temps, 9, 9, 40.0f, 20.0f, false, 150.0f);
    const Result fine = mapped("DV07", temps, 9, 9, 40.0f, 20.0f, false, 150.5f);
    const Result nanTuning = mapped("DV07", temps, 9, 9, 40.0f, 20.0f, false, kNaN);
    EXPECT_EQ(standard.image[4 * 9 + 3], standard.image[0]);
    EXPECT_GT(fine.image[4 * 9 + 3], fine.image[0]);
    EXPECT_LT(fine.image[4 * 9 + 4], standard.image[4 * 9 + 4] + 1);
    EXPECT_EQ(nanTuning, fine);
    // With the automatic range the tuning only picks the parameter set; both map.
    EXPECT_NE(mapped("DV07", temps, 9, 9, 0, 0, true, 150.0f).image[40], kCanary);
}

TEST(ImageMapping, EveryNameTakesItsFamily) {
    // Each registry row and near miss maps exactly as its family's representative does.
    const auto temps = scene();
    const auto family = [](const char* name) { return lookupModel(name).imageFamily; };
    const char* representative[] = {"XY99", "DV01", "DV07"};  // by ImageFamily value
    std::vector<std::string> names;
    for (const auto& row : registryRows()) names.emplace_back(row.name);
    for (const char* miss : {"dv07", "DV07 ", "DV077", "DV0", "DV01-w", "DV08-W", ""})
        names.emplace_back(miss);
    for (bool autoRange : {true, false}) {
        for (const std::string& name : names) {
            const int f = static_cast<int>(family(name.c_str()));
            EXPECT_EQ(mapped(name.c_str(), temps, 40, 30, 34.0f, 19.0f, autoRange),
                      mapped(representative[f], temps, 40, 30, 34.0f, 19.0f, autoRange))
                << "'" << name << "' auto " << autoRange;
        }
    }
    EXPECT_EQ(family("DV07 "), ImageFamily::KelvinCode);
}

TEST(ImageMapping, KelvinFamilyIsTheKelvinMappingUntouched) {
    const auto temps = scene();
    for (bool autoRange : {true, false}) {
        Result direct{std::vector<uint8_t>(temps.size() + 1, kCanary), 34.0f, 19.0f};
        mapKelvinFrame(150.0f, temps.data(), direct.image.data(), 40, 30, 255, 80,
                       &direct.maxTemp, &direct.minTemp, autoRange);
        EXPECT_EQ(mapped("DV07-W", temps, 40, 30, 34.0f, 19.0f, autoRange), direct);
    }
}

TEST(ImageMapping, OffsetFamilyScaleFollowsTheLargestTemperature) {
    // Manual window 100..250 degC over a 150 degC frame: the caller's 250 picks scale 10,
    // codes 1000 in 500..2000, 130560 / 1500 = 87, (500 x 87) >> 9 = 84.
    const Result manual = mapped("DV01", std::vector<float>(16, 150.0f), 4, 4, 250.0f, 100.0f, false);
    EXPECT_EQ(manual.image[0], 84);
    EXPECT_EQ(manual.maxTemp, 250.0f);  // a manual window is not written back
    EXPECT_EQ(manual.minTemp, 100.0f);
    // A frame at exactly 200 degC uses scale 10 and converts back with it: code 1500
    // smooths to 1499 (kernel sum 4094), 149.9 + 50.
    const Result hot = mapped("DV05", std::vector<float>(16, 200.0f), 4, 4, 0, 0, true);
    EXPECT_EQ(hot.maxTemp, 1499.0f / 10.0f + 50.0f);
    EXPECT_EQ(hot.minTemp, hot.maxTemp);
}

TEST(ImageMapping, UnusableArgumentsWriteNothing) {
    const std::vector<float> temps(16, 30.0f);
    struct Row {
        const char* what;
        const char* model;
        const float* temps;
        bool nullImage, nullMax, nullMin;
        int32_t width, height;
    };
    const Row rows[] = {
        {"null model", nullptr, temps.data(), false, false, false, 4, 4},
        {"null temperatures", "DV07", nullptr, false, false, false, 4, 4},
        {"null image", "DV07", temps.data(), true, false, false, 4, 4},
        {"null maxTemp", "DV01", temps.data(), false, true, false, 4, 4},
        {"null minTemp", "XY99", temps.data(), false, false, true, 4, 4},
        {"zero width", "DV07", temps.data(), false, false, false, 0, 4},
        {"negative height", "DV01", temps.data(), false, false, false, 4, -4},
        {"beyond 32 bits", "XY99", temps.data(), false, false, false, 65536, 65536},
    };
    for (const Row& r : rows) {
        std::vector<uint8_t> image(17, kCanary);
        float maxTemp = 1.5f, minTemp = -1.5f;
        imageMapping_dll(r.model, 150.0f, r.temps, r.nullImage ? nullptr : image.data(),
                         r.width, r.height, r.nullMax ? nullptr : &maxTemp,
                         r.nullMin ? nullptr : &minTemp, true);
        EXPECT_EQ(image, std::vector<uint8_t>(17, kCanary)) << r.what;
        EXPECT_EQ(maxTemp, 1.5f) << r.what;
        EXPECT_EQ(minTemp, -1.5f) << r.what;
    }
}

TEST(ImageMapping, ExtremeTemperaturesMapWithoutFault) {
    // Wrapping codes, NaN and infinities on every family, automatic and manual.
    const std::vector<float> temps = {kNaN, kInf, -kInf, 1e30f, -1e30f, 1700.0f, -300.0f, 25.0f};
    for (const char* model : {"DV07", "DV01", "XY99"}) {
        for (bool autoRange : {true, false}) {
            const Result out = mapped(model, temps, 4, 2, kInf, kNaN, autoRange, kNaN);
            EXPECT_EQ(out.image.size(), 9u);
        }
    }
    const Result first = mapped("DV07", {kNaN, 20.0f, 30.0f, 25.0f}, 2, 2, 0, 0, true);
    EXPECT_EQ(first.maxTemp, 0.0f);  // a NaN first element is never replaced: code 0
}

}  // namespace
}  // namespace kmm
