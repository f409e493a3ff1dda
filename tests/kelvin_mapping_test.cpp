// Kelvin-code mapping: scale choice and quantised write-back, automatic limits, manual
// windows, saturation of out-of-scale temperatures, and monotonic output.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/kelvin_mapping.h"

namespace kmm {
namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

struct Mapped {
    std::vector<uint8_t> image;
    float maxTemp, minTemp;
};

Mapped mapFrame(const std::vector<float>& t, int32_t width, float maxTemp, float minTemp,
                bool autoRange) {
    const int32_t height = int32_t(t.size()) / width;
    GuardedBuffer<uint8_t> image(t.size());
    mapKelvinFrame(150.0f, t.data(), image.data(), width, height, 255, 80, &maxTemp, &minTemp,
                   autoRange);
    EXPECT_TRUE(image.canariesIntact());
    return {image.contents(), maxTemp, minTemp};
}

// The write-back shows which scale was chosen: 36.567 degC comes back as 36.56 in the fine
// scale (code 30971) and as 36.5 in the coarse one (code 3096).
struct ScaleCase {
    const char* name;
    float frameMax, maxTemp, minTemp;
    float wantMax, wantMin;
};

TEST(KelvinMapping, ManualWindowComesBackQuantisedToTheChosenScale) {
    const ScaleCase cases[] = {
        {"fine", 30.0f, 36.567f, 20.0f, 36.56f, 20.0f},
        {"exactly 200 stays fine", 200.0f, 36.567f, 20.0f, 36.56f, 20.0f},
        {"200.01 is coarse", 200.01f, 36.567f, 20.0f, 36.5f, 20.0f},
        {"caller's 250 chooses coarse", 150.0f, 250.0f, 36.567f, 250.0f, 36.5f},
        {"NaN first element keeps fine", kNaN, 300.0f, 36.567f, 300.0f, 36.56f},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> t(120, 25.0f);
        t[0] = c.frameMax;
        const Mapped m = mapFrame(t, 12, c.maxTemp, c.minTemp, false);
        EXPECT_NEAR(m.maxTemp, c.wantMax, 2e-4f);
        EXPECT_NEAR(m.minTemp, c.wantMin, 2e-4f);
    }
}

TEST(KelvinMapping, QuantisedWindowIsAFixedPoint) {
    std::vector<float> t(100, 25.0f);
    const Mapped once = mapFrame(t, 10, 36.567f, 20.013f, false);
    const Mapped twice = mapFrame(t, 10, once.maxTemp, once.minTemp, false);
    EXPECT_EQ(once.maxTemp, twice.maxTemp);
    EXPECT_EQ(once.minTemp, twice.minTemp);
    EXPECT_EQ(once.image, twice.image);
}

// A uniform frame gives R = 1, gain 255 x 1024 / 255 = 1024, and every pixel at brightness.
// 640 x 512 puts 327680 pixels on one code, past what a 16-bit counter holds.
TEST(KelvinMapping, UniformFrameMapsToBrightnessWithItsOwnLimits) {
    const struct {
        float celsius;
        int32_t width, height;
    } cases[] = {{25.0f, 10, 10}, {25.0f, 640, 512}, {-20.0f, 33, 7}, {250.0f, 20, 5}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.celsius << " degC " << c.width << "x" << c.height);
        std::vector<float> t(size_t(c.width) * c.height, c.celsius);
        const Mapped m = mapFrame(t, c.width, 0.0f, 0.0f, true);
        EXPECT_EQ(m.image, std::vector<uint8_t>(t.size(), 80));
        EXPECT_NEAR(m.maxTemp, c.celsius, 1e-4f);
        EXPECT_EQ(m.maxTemp, m.minTemp);
    }
    std::vector<float> t(100, 25.0f);
    const Mapped m = mapFrame(t, 10, 0.0f, 0.0f, true);
    EXPECT_EQ(m.maxTemp, 25.0f);  // code 29815 back to exactly 25
}

// The limits are the codes at which the running count from each end first reaches
// trunc(N x 0.01f): on a ramp of one pixel per code that is the threshold-th code from each
// end (49152 pixels give 491).
TEST(KelvinMapping, AutomaticLimitsAreTheOnePercentPoints) {
    const struct {
        int32_t width, height;
        uint16_t first;
        uint16_t wantMin, wantMax;
    } cases[] = {{100, 100, 0, 99, 9900},
                 {256, 192, 1000, 1490, 49661},
                 {100, 1, 65435, 65435, 65534},
                 {99, 1, 5000, 0, 65535}};  // under 100 pixels: the whole code range
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " from " << c.first);
        std::vector<uint16_t> codes(size_t(c.width) * c.height);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = uint16_t(c.first + i);
        GuardedBuffer<uint8_t> image(codes.size());
        uint16_t maxCode = 0, minCode = 0;
        mapCodesByPercentile(codes.data(), image.data(), 255, 80, c.width, c.height, &maxCode,
                             &minCode, true);
        EXPECT_EQ(minCode, c.wantMin);
        EXPECT_EQ(maxCode, c.wantMax);
        EXPECT_TRUE(image.canariesIntact());
    }
}

// Out-of-scale temperatures saturate to the ends of the code range: black below, white
// above, NaN as the lowest code. A wrap would put them at an arbitrary grey.
TEST(KelvinMapping, OutOfScaleTemperaturesSaturateToBlackOrWhite) {
    const struct {
        const char* name;
        float scene, outlier;
        uint8_t want;
        bool nanFirst = false;  // keeps the fine scale whatever the frame holds
    } cases[] = {
        {"below absolute zero, fine", 25.0f, -300.0f, 0},
        {"above 382.2, fine", 25.0f, 400.0f, 255, true},
        {"NaN", 25.0f, kNaN, 0},
        {"minus infinity", 25.0f, -kInf, 0},
        {"huge, coarse", 250.0f, 1e9f, 255},
        {"infinity, coarse", 250.0f, kInf, 255},
        {"minus infinity, coarse", 250.0f, -kInf, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<float> t(200);
        for (size_t i = 0; i < t.size(); ++i) t[i] = c.scene + float(i % 20) * 0.5f;
        t[57] = c.outlier;
        if (c.nanFirst) t[0] = kNaN;
        const Mapped m = mapFrame(t, 20, 0.0f, 0.0f, true);
        EXPECT_EQ(m.image[57], c.want);
        EXPECT_GE(m.minTemp, c.scene - 1e-3f);  // the outlier is beyond the 1 % points
        EXPECT_LE(m.maxTemp, c.scene + 10.0f);
    }
}

// A one-code window has gain 261120: code x gain needs more than 32 bits near the top of
// the code range, and the ramp must still run black, mid grey, white.
TEST(KelvinMapping, OneCodeWindowIsASteepRampEvenAtTheTopCode) {
    for (uint16_t code : {uint16_t(1), uint16_t(30000), uint16_t(65534)}) {
        SCOPED_TRACE(code);
        const std::vector<uint16_t> codes = {uint16_t(code - 1), code, uint16_t(code + 1)};
        GuardedBuffer<uint8_t> image(3);
        uint16_t maxCode = code, minCode = code;
        mapCodesByPercentile(codes.data(), image.data(), 0, 0, 3, 1, &maxCode, &minCode, false);
        EXPECT_EQ(image.contents(), (std::vector<uint8_t>{0, 128, 255}));
        EXPECT_TRUE(image.canariesIntact());
    }
}

// Manual window 1000..1100 (gain 2585): the mean of the pixels strictly inside lands on 128;
// with none inside, the window's middle does.
TEST(KelvinMapping, ManualOffsetComesFromInsideMeanOrWindowMiddle) {
    const struct {
        const char* name;
        std::vector<uint16_t> codes;
        std::vector<uint8_t> want;
    } cases[] = {
        {"inside mean", {1000, 1020, 1100}, {78, 128, 255}},
        {"no pixel inside", {1000, 1100, 900, 1200}, {2, 254, 0, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GuardedBuffer<uint8_t> image(c.codes.size());
        uint16_t maxCode = 1100, minCode = 1000;
        mapCodesByPercentile(c.codes.data(), image.data(), 255, 80, int32_t(c.codes.size()), 1,
                             &maxCode, &minCode, false);
        EXPECT_EQ(image.contents(), c.want);
        EXPECT_EQ(maxCode, 1100);
        EXPECT_EQ(minCode, 1000);
    }
}

TEST(KelvinMapping, InvertedManualWindowIsBlack) {
    for (float high : {19.99f, 10.0f, -100.0f}) {
        std::vector<float> t(100, 25.0f);
        const Mapped m = mapFrame(t, 10, high, 20.0f, false);
        EXPECT_EQ(m.image, std::vector<uint8_t>(100, 0));
    }
}

TEST(KelvinMapping, BadArgumentsWriteNothing) {
    std::vector<float> t(100, 25.0f);
    GuardedBuffer<uint8_t> image(100);
    const struct {
        int32_t width, height;
        const float* temps;
        uint8_t* out;
    } cases[] = {{0, 10, t.data(), image.data()},        {10, -1, t.data(), image.data()},
                 {-10, -10, t.data(), image.data()},     {65536, 65536, t.data(), image.data()},
                 {10, 10, nullptr, image.data()},        {10, 10, t.data(), nullptr}};
    for (const auto& c : cases) {
        float maxTemp = 1.0f, minTemp = 2.0f;
        mapKelvinFrame(0.0f, c.temps, c.out, c.width, c.height, 255, 80, &maxTemp, &minTemp, true);
        EXPECT_EQ(maxTemp, 1.0f);
        EXPECT_EQ(minTemp, 2.0f);
    }
    float maxTemp = 1.0f;
    mapKelvinFrame(0.0f, t.data(), image.data(), 10, 10, 255, 80, &maxTemp, nullptr, true);
    EXPECT_EQ(maxTemp, 1.0f);
    EXPECT_EQ(image.contents(), std::vector<uint8_t>(100, 0xA5));
    EXPECT_TRUE(image.canariesIntact());
}

// Every mapping of this family is a non-decreasing function of the temperature.
TEST(KelvinMapping, OutputNeverDecreasesAlongATemperatureGradient) {
    const struct {
        float low, high, maxTemp, minTemp;
        bool autoRange;
    } cases[] = {{20.0f, 40.0f, 0, 0, true},          {-40.0f, 500.0f, 0, 0, true},
                 {20.0f, 40.0f, 35.0f, 25.0f, false}, {0.0f, 300.0f, 310.0f, -10.0f, false},
                 {20.0f, 40.0f, 30.01f, 30.0f, false}};
    for (const auto& c : cases) {
        std::vector<float> t(640);
        for (size_t i = 0; i < t.size(); ++i) t[i] = c.low + (c.high - c.low) * float(i) / 639.0f;
        const Mapped m = mapFrame(t, 64, c.maxTemp, c.minTemp, c.autoRange);
        for (size_t i = 1; i < t.size(); ++i) ASSERT_LE(m.image[i - 1], m.image[i]) << i;
        EXPECT_LT(m.image.front(), m.image.back());
    }
}

}  // namespace
}  // namespace kmm
