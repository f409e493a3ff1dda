// Offset-code mapping: the smoothing kernel, the smoothing itself, the automatic mapping on
// uniform and graded frames, the detail layer, and the linear window.
#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/offset_code_mapping.h"

namespace kmm {
namespace {

using Kernel = std::array<int32_t, 9>;

Kernel kernelFor(int32_t sigma) {
    Kernel k{};
    buildSmoothingKernel(k.data(), sigma);
    return k;
}

struct AutoResult {
    std::vector<uint8_t> image;
    int16_t maxCode, minCode;
};

// The tuning the temperature-matrix entry uses, with a choice of detail gain.
AutoResult mapAuto(const std::vector<int16_t>& codes, int32_t width, int32_t detailGain = 0,
                   int32_t sigma = 5) {
    const int32_t height = int32_t(codes.size()) / width;
    const Kernel kernel = kernelFor(sigma);
    GuardedBuffer<uint8_t> image(codes.size());
    int16_t maxCode = -1, minCode = -1;
    mapOffsetCodesAuto(image.data(), codes.data(), width, height, &maxCode, &minCode, detailGain,
                       20, kernel.data(), 220, 110, 128, 220, 110, 10, 1, 1);
    EXPECT_TRUE(image.canariesIntact());
    return {image.contents(), maxCode, minCode};
}

TEST(OffsetCodeMapping, SmoothingKernels) {
    const struct {
        int32_t sigma;
        Kernel want;
    } cases[] = {{5, {49, 351, 49, 351, 2494, 351, 49, 351, 49}},
                 {1, {0, 0, 0, 0, 4096, 0, 0, 0, 0}},
                 {0, {0, 0, 0, 0, 4096, 0, 0, 0, 0}}};
    for (const auto& c : cases) EXPECT_EQ(kernelFor(c.sigma), c.want) << "sigma " << c.sigma;
    // Normalising the rounded weights loses a little: sigma 5 adds up to 4094, not 4096.
    const Kernel k5 = kernelFor(5);
    EXPECT_EQ(std::accumulate(k5.begin(), k5.end(), 0), 4094);
    for (int32_t sigma : {2, 10, 100, -7, 1 << 30}) {
        const Kernel k = kernelFor(sigma);
        EXPECT_LE(std::accumulate(k.begin(), k.end(), 0), 4096) << sigma;
        EXPECT_EQ(k, kernelFor(-sigma)) << sigma;
    }
}

// A uniform frame smooths to one code (the sigma-5 kernel adds up to 4094, and the sum is
// shifted, rounding down; sigma 1 leaves it alone): R = 1, w = 1024, and the reported range
// is the smoothed code at both ends. The grey is brightness, 110, except below code 0, where
// the linear term's shift rounds down while its base was truncated toward zero: one less.
// 640 x 512 puts all 327680 pixels on one histogram index.
TEST(OffsetCodeMapping, UniformFrameMapsToBrightness) {
    const struct {
        int16_t code;
        int32_t sigma;
        int16_t smoothed;
        uint8_t grey;
        int32_t width, height;
    } cases[] = {{2500, 5, 2498, 110, 16, 16},   {2500, 5, 2498, 110, 640, 512},
                 {2500, 1, 2500, 110, 7, 5},     {-2500, 5, -2499, 109, 9, 3},
                 {-600, 5, -600, 109, 3, 9},     {0, 5, 0, 110, 1, 1},
                 {32767, 5, 32751, 110, 5, 5},   {-32768, 5, -32752, 109, 2, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.code << " sigma " << c.sigma << " " << c.width
                                        << "x" << c.height);
        std::vector<int16_t> codes(size_t(c.width) * c.height, c.code);
        const AutoResult r = mapAuto(codes, c.width, 0, c.sigma);
        EXPECT_EQ(r.image, std::vector<uint8_t>(codes.size(), c.grey));
        EXPECT_EQ(r.maxCode, c.smoothed);
        EXPECT_EQ(r.minCode, c.smoothed);
    }
}

// Without smoothing (sigma 1), the reported ends of a ramp of one pixel per code are the
// trunc(N x 1 / 1000)-th codes from each end; under 1000 pixels they are the ramp's ends.
TEST(OffsetCodeMapping, ReportedRangeIsThePointOnePercentPoints) {
    const struct {
        int32_t width, height, first;
        int16_t wantMin, wantMax;
    } cases[] = {{100, 100, 0, 9, 9990}, {640, 32, -20000, -19981, 460}, {999, 1, 7, 7, 1005}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " from " << c.first);
        std::vector<int16_t> codes(size_t(c.width) * c.height);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(c.first + int(i));
        // Rows continue the ramp, so smoothing would mix codes a row apart: sigma 1.
        const AutoResult r = mapAuto(codes, c.width, 0, 1);
        EXPECT_EQ(r.minCode, c.wantMin);
        EXPECT_EQ(r.maxCode, c.wantMax);
    }
}

// One hot pixel in a corner: the edge copies make the corner see itself through four
// weights (49 + 351 + 351 + 2494), its edge neighbours through two, so with no other pixel
// reaching the 99.9 % point the reported top is 4096 x 3245 / 4096 = 3245 (and the bottom 0).
TEST(OffsetCodeMapping, SmoothingRepeatsTheEdgePixels) {
    std::vector<int16_t> codes(4 * 3, 0);
    codes[0] = 4096;
    const AutoResult r = mapAuto(codes, 4);
    EXPECT_EQ(r.maxCode, 3245);
    EXPECT_EQ(r.minCode, 0);
}

// On a ramp every step of the automatic mapping keeps the order of the codes, and the range
// reported sits inside the ramp, 0.1 % from each end.
TEST(OffsetCodeMapping, AutomaticMappingNeverDecreasesAlongARamp) {
    const struct {
        int32_t from, step;  // code of column x is from + step * x
    } cases[] = {{0, 1}, {2500, 3}, {-3000, 40}, {-32000, 100}, {100, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from << " step " << c.step);
        const int32_t width = 640, height = 8;
        std::vector<int16_t> codes(size_t(width) * height);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) codes[size_t(y) * width + x] = int16_t(c.from + c.step * x);
        }
        for (int32_t gain : {0, 16}) {
            const AutoResult r = mapAuto(codes, width, gain);
            for (int32_t x = 1; x < width; ++x) ASSERT_LE(r.image[x - 1], r.image[x]) << x;
            EXPECT_LE(r.minCode, r.maxCode);
            EXPECT_GE(r.minCode, c.from - 1);
            EXPECT_LE(r.maxCode, c.from + c.step * (width - 1));
        }
    }
}

// A pixel above its neighbourhood keeps part of its difference through the detail layer,
// limited by the clamp; with detail gain 0 the image is the equalised smoothed frame.
TEST(OffsetCodeMapping, DetailLayerBrightensASpotOnlyWithGain) {
    std::vector<int16_t> codes(32 * 32);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(2000 + int(i % 32) * 10);
    const size_t spot = 16 * 32 + 16;
    codes[spot] = int16_t(codes[spot] + 300);
    const AutoResult plain = mapAuto(codes, 32, 0);
    const AutoResult detailed = mapAuto(codes, 32, 16);  // weight 16 x 64 / 1024 = 1
    EXPECT_EQ(detailed.maxCode, plain.maxCode);
    EXPECT_EQ(detailed.minCode, plain.minCode);
    EXPECT_EQ(int(detailed.image[spot]), std::min(255, plain.image[spot] + 20));
    const AutoResult strong = mapAuto(codes, 32, 1 << 30);  // wide products, saturated
    EXPECT_EQ(strong.image[spot], 255);
}

// Spots of 100 pixels (under 0.1 % of 640 x 512) lie outside the reported range. Near
// R = 128 the gain is about 1.7, so a 199 degC spot in a 0 degC scene (k = 100) takes the
// linear term past 16 bits: it must still show white, and a very cold spot black.
TEST(OffsetCodeMapping, SmallSpotsFarOutsideTheRangeKeepTheirEnd) {
    const struct {
        int16_t scene, hot, cold;
    } cases[] = {{-5064, 14900, -20000}, {14000, 32767, -32768}, {-32000, 32767, -32768}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.scene);
        const int32_t width = 640, height = 512;
        std::vector<int16_t> codes(size_t(width) * height);
        for (size_t i = 0; i < codes.size(); ++i) codes[i] = int16_t(c.scene + int(i % 128));
        for (size_t i = 0; i < 100; ++i) {
            codes[(100 + i / 10) * width + 300 + i % 10] = c.hot;
            codes[(300 + i / 10) * width + 300 + i % 10] = c.cold;
        }
        const AutoResult r = mapAuto(codes, width);
        EXPECT_GE(r.minCode, c.scene - 16);  // smoothing shifts the codes a little
        EXPECT_LE(r.maxCode, c.scene + 144);
        EXPECT_EQ(r.image[105 * width + 305], 255);
        EXPECT_EQ(r.image[305 * width + 305], 0);
    }
}

TEST(OffsetCodeMapping, LinearWindow) {
    const struct {
        int16_t high, low;
        std::vector<int16_t> codes;
        std::vector<uint8_t> want;
        bool mapped;
    } cases[] = {
        {1000, 0, {-1, 0, 500, 999, 1000, 1001}, {0, 0, 126, 253, 253, 255}, true},
        {512, 0, {511, 512, 513}, {254, 255, 255}, true},
        {-100, -101, {-102, -101, -100, -99}, {0, 0, 255, 255}, true},
        {32767, -32768, {-32768, 0, 32767}, {0, 64, 127}, true},  // scale 1
        {100, 100, {99, 100, 101}, {0, 0, 0}, false},
        {0, 100, {-5, 50, 500}, {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.low << ".." << c.high);
        GuardedBuffer<uint8_t> image(c.codes.size());
        EXPECT_EQ(mapOffsetCodesWindow(image.data(), c.codes.data(), int32_t(c.codes.size()), 1,
                                       c.high, c.low),
                  c.mapped);
        EXPECT_EQ(image.contents(), c.want);
        EXPECT_TRUE(image.canariesIntact());
    }
}

TEST(OffsetCodeMapping, BadArgumentsWriteNothing) {
    std::vector<int16_t> codes(100, 2500);
    const Kernel kernel = kernelFor(5);
    GuardedBuffer<uint8_t> image(100);
    const struct {
        int32_t width, height;
        const int16_t* in;
        uint8_t* out;
        const int32_t* kernel;
    } cases[] = {{0, 10, codes.data(), image.data(), kernel.data()},
                 {10, -1, codes.data(), image.data(), kernel.data()},
                 {-10, -10, codes.data(), image.data(), kernel.data()},
                 {65536, 65536, codes.data(), image.data(), kernel.data()},
                 {10, 10, nullptr, image.data(), kernel.data()},
                 {10, 10, codes.data(), nullptr, kernel.data()},
                 {10, 10, codes.data(), image.data(), nullptr}};
    for (const auto& c : cases) {
        int16_t maxCode = 7, minCode = 8;
        mapOffsetCodesAuto(c.out, c.in, c.width, c.height, &maxCode, &minCode, 0, 20, c.kernel,
                           220, 110, 128, 220, 110, 10, 1, 1);
        EXPECT_EQ(maxCode, 7);
        EXPECT_EQ(minCode, 8);
        if (c.kernel) {
            EXPECT_FALSE(mapOffsetCodesWindow(c.out, c.in, c.width, c.height, 10, 0));
        }
    }
    EXPECT_EQ(image.contents(), std::vector<uint8_t>(100, 0xA5));
    EXPECT_TRUE(image.canariesIntact());
}

}  // namespace
}  // namespace kmm
