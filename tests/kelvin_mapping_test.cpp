// Kelvin-code mapping: scale choice and quantised write-back, automatic limits, manual
// windows, and saturation of out-of-scale temperatures.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <tuple>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/kelvin_mapping.h"

namespace kmm {
namespace {

struct Mapped { std::vector<uint8_t> image; float maxTemp, minTemp; };

Mapped mapFrame(const std::vector<float>& t, int32_t width, float maxTemp, float minTemp, bool autoRange) {
    GuardedBuffer<uint8_t> image(t.size());
    mapKelvinFrame(150.0f, {t.data(), width, int32_t(t.size()) / width}, image.data(), 255, 80,
                   maxTemp, minTemp, autoRange);
    return {image.contents(), maxTemp, minTemp};
}

struct Codes { std::vector<uint8_t> image; uint16_t maxCode, minCode; };

Codes mapCodes(const std::vector<uint16_t>& codes, int32_t width, uint16_t maxCode,
               uint16_t minCode, bool autoRange, uint32_t contrast = 255, uint32_t brightness = 80) {
    GuardedBuffer<uint8_t> image(codes.size());
    const auto histogram = std::make_unique<Histogram>();
    mapCodesByPercentile({codes.data(), width, int32_t(codes.size()) / width}, image.data(),
                         int32_t(contrast), int32_t(brightness), maxCode, minCode, autoRange, histogram.get());
    return {image.contents(), maxCode, minCode};
}

TEST(KelvinMapping, ManualWindowComesBackQuantisedToTheChosenScale) {
    // 36.567 degC comes back as 36.56 in the fine scale and as 36.5 in the coarse one.
    // {frame max, window max, window min, max back, min back}
    for (auto [frameMax, maxTemp, minTemp, wantMax, wantMin] : {
             std::array{30.0f, 36.567f, 20.0f, 36.56f, 20.0f},
             {200.0f, 36.567f, 20.0f, 36.56f, 20.0f},    // exactly 200 stays fine
             {200.01f, 36.567f, 20.0f, 36.5f, 20.0f},    // 200.01 is coarse
             {150.0f, 200.0f, 36.567f, 200.0f, 36.56f},    // the caller's exactly 200 stays fine
             {150.0f, 250.0f, 36.567f, 250.0f, 36.5f}}) {  // the caller's 250 chooses coarse
        std::vector<float> t(120, 25.0f);
        t[0] = frameMax;
        const Mapped m = mapFrame(t, 12, maxTemp, minTemp, false);
        EXPECT_NEAR(m.maxTemp, wantMax, 2e-4f) << frameMax << " " << maxTemp;
        EXPECT_NEAR(m.minTemp, wantMin, 2e-4f) << frameMax << " " << maxTemp;
    }
}

TEST(KelvinMapping, UniformFrameMapsToBrightnessWithItsOwnLimits) {
    // R = 1, gain 1024, every pixel at brightness; 640 x 512 pixels on one code overflow a
    // 16-bit counter, and 25.0 (code 29815) comes back as exactly 25.
    for (auto [celsius, width, height] : {std::tuple{25.0f, 640, 512}, {-20.0f, 33, 7}, {250.0f, 20, 5}}) {
        const Mapped m = mapFrame(std::vector<float>(size_t(width) * height, celsius), width, 0, 0, true);
        EXPECT_EQ(m.image, std::vector<uint8_t>(size_t(width) * height, 80)) << celsius;
        EXPECT_NEAR(m.maxTemp, celsius, 1e-4f);
        EXPECT_EQ(m.maxTemp, m.minTemp);
        EXPECT_TRUE(celsius != 25.0f || m.maxTemp == 25.0f);
    }
}

TEST(KelvinMapping, AutomaticLimitsAreTheOnePercentPoints) {
    // On a ramp of one pixel per code the limits are the trunc(N x 0.01f)-th codes from each
    // end (49152 pixels give 491); under 100 pixels, the whole code range.
    for (auto [width, height, first, wantMin, wantMax] : {std::array{256, 192, 1000, 1490, 49661},
             {100, 1, 65435, 65435, 65534}, {99, 1, 5000, 0, 65535}}) {
        std::vector<uint16_t> codes(size_t(width) * height);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = uint16_t(first + i);
        const Codes r = mapCodes(codes, width, 0, 0, true);
        EXPECT_EQ((std::pair<int, int>(r.minCode, r.maxCode)), std::pair(wantMin, wantMax)) << width;
    }
    // 128 codes, right at the knee: the full gain 255 x 1024 / 128 (a wider divisor would
    // leave the top code one grey darker).
    std::vector<uint16_t> knee(128);
    for (size_t i = 0; i < knee.size(); ++i) knee[i] = uint16_t(30000 + i);
    const Codes k = mapCodes(knee, 128, 0, 0, true);
    EXPECT_EQ((std::array<int, 3>{k.image[0], k.image[64], k.image[127]}), (std::array{0, 82, 207}));
    for (auto& c : knee) c += 656;  // 30656..30783 at contrast 10000: the gain cap, eight greys a code
    const Codes capped = mapCodes(knee, 128, 0, 0, true, 10000);  // the mean, 30719, at 80
    EXPECT_EQ((std::array<int, 3>{capped.image[63], capped.image[64], capped.image[65]}), (std::array{80, 88, 96}));
}

TEST(KelvinMapping, OutOfScaleTemperaturesSaturateToBlackOrWhite) {
    // Black below, white above; a wrap would give an arbitrary grey. {scene, outlier, grey}
    for (auto [scene, outlier, want] : {std::tuple{25.0f, -300.0f, 0}, {25.0f, 400.0f, 255},
             {250.0f, 1e9f, 255}, {250.0f, -1e9f, 0}}) {
        std::vector<float> t(200);
        for (size_t i = 0; i < t.size(); ++i) t[i] = scene + float(i % 20) * 0.5f;
        t[57] = outlier;
        const Mapped m = mapFrame(t, 20, 0.0f, 0.0f, true);
        EXPECT_EQ(m.image[57], want) << scene << " " << outlier;
        EXPECT_GE(m.minTemp, scene - 1e-3f);  // the outlier is beyond the 1 % points
        EXPECT_LE(m.maxTemp, scene + 10.0f);
    }
}

TEST(KelvinMapping, ManualWindowGreys) {
    // A one-code window has gain 261120, past 32 bits near the top code: black, mid, white.
    for (uint16_t code : {uint16_t(1), uint16_t(65534)})
        EXPECT_EQ(mapCodes({uint16_t(code - 1), code, uint16_t(code + 1)}, 3, code, code, false, 0, 0).image,
                  (std::vector<uint8_t>{0, 128, 255})) << code;
    // Window 1000..1100 (gain 2585): the mean strictly inside lands on 128; with none
    // inside, the window's middle does. The window is not written back.
    const Codes inside = mapCodes({1000, 1020, 1100}, 3, 1100, 1000, false);
    EXPECT_EQ(inside.image, (std::vector<uint8_t>{78, 128, 255}));
    EXPECT_EQ(inside.maxCode, 1100);
    EXPECT_EQ(inside.minCode, 1000);
    EXPECT_EQ(mapCodes({1000, 1100, 900, 1200}, 4, 1100, 1000, false).image,
              (std::vector<uint8_t>{2, 254, 0, 255}));
    // A 511-code window: 255 x 1024 / 511 truncates to gain 510 (511 x 511 is 261121).
    EXPECT_EQ(mapCodes({1000, 1297, 1510}, 3, 1510, 1000, false).image, (std::vector<uint8_t>{0, 128, 235}));
    // An inverted window is black, down to a high end one code below the low one.
    EXPECT_EQ(mapCodes({1000, 999}, 2, 999, 1000, false).image, (std::vector<uint8_t>{0, 0}));
    EXPECT_EQ(mapFrame(std::vector<float>(100, 25.0f), 10, 19.99f, 20.0f, false).image,
              std::vector<uint8_t>(100, 0));
}

}  // namespace
}  // namespace kmm
