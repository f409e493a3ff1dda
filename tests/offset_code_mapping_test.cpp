// Offset-code mapping: the smoothing, the automatic mapping on uniform, graded and spotted
// frames, the detail layer, and the linear window.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/offset_code_mapping.h"

namespace kmm {
namespace {

struct AutoResult { std::vector<uint8_t> image; int16_t maxCode, minCode; };

// The tuning the temperature-matrix entry uses, with a choice of detail gain and sigma.
AutoResult mapAuto(const std::vector<int16_t>& codes, int32_t width, int32_t detailGain = 0,
                   int32_t sigma = 5, int32_t contrast = kOffsetCodeEntryTuning.contrast) {
    OffsetCodeTuning tuning = kOffsetCodeEntryTuning;
    tuning.detailGain = detailGain, tuning.smoothingSigma = sigma, tuning.contrast = contrast;
    const int32_t height = int32_t(codes.size()) / width;
    GuardedBuffer<uint8_t> image(codes.size());
    int16_t maxCode = -1, minCode = -1;
    WorkBlock work(offsetCodeWorkBytes(width, height));
    mapOffsetCodesAuto(image.data(), {codes.data(), width, height}, maxCode, minCode, tuning, work);
    return {image.contents(), maxCode, minCode};
}

TEST(OffsetCodeMapping, UniformFrameMapsToBrightness) {
    // A uniform frame smooths to one code (sigma 5 sums to 4094 and the shift rounds down;
    // sigma 1 leaves it), reported at both ends. The grey is brightness 110, one less below
    // code 0. 640 x 512 puts all 327680 pixels on one histogram index.
    // {code, sigma, smoothed, grey, width, height}
    for (auto [code, sigma, smoothed, grey, width, height] : {std::array{2500, 5, 2498, 110, 640, 512},
             {2500, 1, 2500, 110, 7, 5}, {-2500, 5, -2499, 109, 9, 3}, {-600, 5, -600, 109, 3, 9},
             {0, 5, 0, 110, 1, 1}, {32767, 5, 32751, 110, 5, 5}, {-32768, 5, -32752, 109, 2, 1}}) {
        const AutoResult r = mapAuto(std::vector<int16_t>(size_t(width) * height, int16_t(code)), width, 0, sigma);
        EXPECT_EQ(r.image, std::vector<uint8_t>(size_t(width) * height, uint8_t(grey))) << code << " " << sigma;
        EXPECT_EQ((std::pair<int, int>(r.maxCode, r.minCode)), std::pair(smoothed, smoothed)) << code;
    }
}

TEST(OffsetCodeMapping, ReportedRangeIsThePointOnePercentPoints) {
    // Unsmoothed ramp of one pixel per code: the trunc(N / 1000)-th codes from each end;
    // under 1000 pixels, the ramp's ends.
    for (auto [width, height, first, wantMin, wantMax] : {std::array{100, 100, 0, 9, 9990},
             {640, 32, -20000, -19981, 460}, {999, 1, 7, 7, 1005}}) {
        std::vector<int16_t> codes(size_t(width) * height);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(first + int(i));
        const AutoResult r = mapAuto(codes, width, 0, 1);
        EXPECT_EQ((std::pair<int, int>(r.minCode, r.maxCode)), std::pair(wantMin, wantMax)) << width;
    }
    // One hot corner pixel sees itself through four weights (49 + 351 + 351 + 2494) and no
    // other pixel reaches the 99.9 % point: the reported top is 3245.
    std::vector<int16_t> corner(4 * 3, 0);
    corner[0] = 4096;
    EXPECT_EQ(mapAuto(corner, 4).maxCode, 3245);
}

TEST(OffsetCodeMapping, DetailLayerBrightensAHotSpotAndDarkensAColdOneOnlyWithGain) {
    // The detail (what smoothing took away) is +-300 at the spots, limited to 20, added with
    // the weight 16 x 64 / 1024 = 1.
    std::vector<int16_t> codes(32 * 32);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(2000 + int(i % 32) * 10);
    const size_t hot = 16 * 32 + 16, cold = 8 * 32 + 8;
    codes[hot] = int16_t(codes[hot] + 300);
    codes[cold] = int16_t(codes[cold] - 300);
    const AutoResult plain = mapAuto(codes, 32, 0);
    const AutoResult detailed = mapAuto(codes, 32, 16);
    EXPECT_EQ(detailed.maxCode, plain.maxCode);
    EXPECT_EQ(int(detailed.image[hot]), std::min(255, plain.image[hot] + 20));
    EXPECT_EQ(int(detailed.image[cold]), std::max(0, plain.image[cold] - 20));
    EXPECT_EQ(mapAuto(codes, 32, 1 << 30).image[hot], 255);  // wide products, saturated
    EXPECT_EQ(int(mapAuto(codes, 32, 31).image[hot]), plain.image[hot] + 38);  // 20 x 31 x 64 / 1024
}

TEST(OffsetCodeMapping, GainStopsAtFour) {
    // A ramp of about 200 codes: contrasts 805 and 1000 ask for gains just above 4 and of
    // about 5; both stop at 4 and give the same image, which 700 (about 3.5) does not.
    std::vector<int16_t> codes(64 * 64);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(i % 201);
    const auto image = [&](int32_t contrast) { return mapAuto(codes, 64, 0, 1, contrast).image; };
    EXPECT_EQ(image(805), image(1000));
    EXPECT_NE(image(700), image(1000));
}

TEST(OffsetCodeMapping, SmallSpotsFarOutsideTheRangeKeepTheirEnd) {
    // 100-pixel spots (under 0.1 %) lie outside the range; near R = 128 a hot spot takes the
    // linear term past 16 bits: it must still show white, and a very cold spot black.
    for (auto [scene, hot, cold] : {std::tuple<int16_t, int16_t, int16_t>{-5064, 14900, -20000},
                                    {14000, 32767, -32768}, {-32000, 32767, -32768}}) {
        const int32_t width = 640;
        std::vector<int16_t> codes(size_t(width) * 512);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(scene + int(i % 128));
        for (size_t i = 0; i < 100; ++i) {
            codes[(100 + i / 10) * width + 300 + i % 10] = hot;
            codes[(300 + i / 10) * width + 300 + i % 10] = cold;
        }
        const AutoResult r = mapAuto(codes, width);
        EXPECT_GE(r.minCode, scene - 16) << scene;  // smoothing shifts the codes a little
        EXPECT_LE(r.maxCode, scene + 144) << scene;
        EXPECT_EQ(std::pair(r.image[105 * width + 305], r.image[305 * width + 305]),
                  (std::pair<uint8_t, uint8_t>(255, 0))) << scene;
    }
}

TEST(OffsetCodeMapping, LinearWindow) {
    const struct { int16_t high, low; std::vector<int16_t> codes; std::vector<uint8_t> want;
        bool mapped = true; } cases[] = {
        {1000, 0, {-1, 0, 500, 999, 1000, 1001}, {0, 0, 126, 253, 253, 255}},
        {100, 100, {99, 100, 101}, {0, 0, 0}, false},       // empty and inverted: black
        {0, 100, {-5, 50, 500}, {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        GuardedBuffer<uint8_t> image(c.codes.size());
        EXPECT_EQ(mapOffsetCodesWindow(image.data(), {c.codes.data(), int32_t(c.codes.size()), 1},
                                       c.high, c.low),
                  c.mapped);
        EXPECT_EQ(image.contents(), c.want) << c.low << ".." << c.high;
    }
}

}  // namespace
}  // namespace kmm
