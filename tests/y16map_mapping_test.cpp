// Y16Mapping_dll: the manual window, the dispatch to the two AGC paths, uniform and tiny
// frames, and the detail layer and 16-bit AGC sums on their own.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "random.h"
#include "y16map/detail_layer.h"
#include "y16map/plateau_agc.h"
#include "y16map/sharpen_grey.h"

namespace kmm {
namespace {

constexpr uint8_t kSentinel = 0xA5;
const char* const kHalf = "DV13";    // one name per AGC variant; the registry test has the rest
const char* const kFull = "DV18-W";

std::vector<uint8_t> mapWindow(const std::vector<int16_t>& frame, int16_t low, int16_t high,
                               const char* model = "XY99") {
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16Mapping_dll(model, frame.data(), dst.data(), int32_t(frame.size()), 1, &high, &low, false);
    return dst.contents();
}

std::vector<uint8_t> mapAuto(const char* model, const std::vector<int16_t>& frame, int32_t width,
                             int32_t height, uint8_t fill = kSentinel) {
    GuardedBuffer<uint8_t> dst(frame.size(), fill);
    Y16Mapping_dll(model, frame.data(), dst.data(), width, height, nullptr, nullptr, true);
    return dst.contents();
}

TEST(Y16Mapping, ManualWindowExamples) {
    const struct { const char* what; int16_t low, high, value; uint8_t grey; } rows[] = {
        {"top of a 512 window", 0, 512, 512, 255},
        {"top of a 1000 window stays below white", 0, 1000, 1000, 253},
        {"equal ends, below", 100, 100, 99, 0},          {"equal ends, at", 100, 100, 100, 255},
        {"reversed window", 100, 99, 32767, 0},
    };
    for (const auto& r : rows) EXPECT_EQ(mapWindow({r.value}, r.low, r.high)[0], r.grey) << r.what;

    // Any model name (or none) takes the window; the grey rises with Y16.
    std::vector<int16_t> ramp;
    for (int v = -2000; v <= 3000; v += 7) ramp.push_back(int16_t(v));
    const auto grey = mapWindow(ramp, -1000, 2000, kFull);
    EXPECT_EQ(grey, mapWindow(ramp, -1000, 2000, nullptr));
    EXPECT_TRUE(std::is_sorted(grey.begin(), grey.end()));
}

// Uniform frames: R = 1, weight 1024, zero detail, so every byte is the brightness, through
// the sharpening too (frames narrower or shorter than 3 have no detail layer and behave the
// same). Random frames over the whole 16-bit range (the half-resolution tables included
// below -16384): two different fillings come back equal, so every byte was written.
TEST(Y16Mapping, AgcOnUniformAndRandomFramesOfEveryShape) {
    scenes::SplitMix64 rng(11);
    for (const char* model : {kHalf, kFull}) {
        for (const auto& [w, h] : {std::pair{64, 48}, {3, 3}, {1, 1}, {9, 2}, {2, 50}, {1, 4}, {4, 3}, {3, 1}}) {
            for (const int16_t v : {int16_t(0), int16_t(1000), int16_t(32767)}) {
                const std::vector<int16_t> frame(size_t(w * h), v);
                ASSERT_EQ(mapAuto(model, frame, w, h), std::vector<uint8_t>(frame.size(), 100))
                    << model << " " << w << "x" << h << " v=" << v;
            }
            std::vector<int16_t> frame(size_t(w * h));
            for (auto& v : frame) v = int16_t(rng.next());
            EXPECT_EQ(mapAuto(model, frame, w, h, 0x00), mapAuto(model, frame, w, h, 0xFF))
                << model << " " << w << "x" << h;
        }
    }
}

TEST(Y16Mapping, UnknownNamesAndBadArgumentsLeaveTheImageUntouched) {
    scenes::SplitMix64 rng(7);
    std::vector<int16_t> frame(32 * 24);
    for (auto& v : frame) v = int16_t(rng.next());
    for (const char* model : {"DV19", "DV12", "dv13", "DV13 ", "DV17S", "", (const char*)nullptr})
        EXPECT_EQ(mapAuto(model, frame, 32, 24), std::vector<uint8_t>(frame.size(), kSentinel))
            << '"' << (model ? model : "null") << '"';
    const int16_t high = 1000, low = 0;
    GuardedBuffer<uint8_t> dst(12, kSentinel);
    Y16Mapping_dll(kFull, frame.data(), dst.data(), 0, 12, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, -1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, nullptr, dst.data(), 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), nullptr, 12, 1, nullptr, nullptr, true);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, 1, nullptr, &low, false);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), 12, 1, &high, nullptr, false);
    Y16Mapping_dll(kHalf, frame.data(), dst.data(), -3, -4, &high, &low, false);
    EXPECT_EQ(dst.contents(), std::vector<uint8_t>(12, kSentinel));
}

// The export makes and adds the detail layer a band of rows at a time: the same bytes as the
// whole-frame layer, equalisation and sharpening, on sizes whose bands end anywhere.
TEST(Y16Mapping, AgcEqualsTheWholeFrameComposition) {
    scenes::SplitMix64 rng(13);
    for (const AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
        for (const auto& [w, h] : {std::pair{641, 19}, {17, 5}, {33, 8}, {5, 17}}) {
            std::vector<int16_t> frame(size_t(w * h));
            for (auto& v : frame) v = int16_t(7000 + int(rng.next() % 3000));
            const AgcParams& params = *agcParams(variant);
            std::vector<int16_t> detail(frame.size());
            std::vector<uint8_t> grey(frame.size()), want(frame.size());
            auto tables = std::make_unique_for_overwrite<AgcTables>();
            computeDetailLayer(detail.data(), frame.data(), w, h);
            mapPlateauAgc(params, grey.data(), frame.data(), int64_t(frame.size()), detail.data(), *tables);
            if (params.sharpenStrength) sharpenGrey(want.data(), grey.data(), w, h, *params.sharpenStrength);
            EXPECT_EQ(mapAuto(variant == AgcVariant::HalfResolution ? kHalf : kFull, frame, w, h),
                      params.sharpenStrength ? want : grey) << w << "x" << h;
        }
    }
}

// A worked 4 x 4 example: every border and corner kernel once, the interior clamped to
// -20..20; a border keeps only the low 16 bits.
TEST(Y16DetailLayer, WorkedExampleAndBorderWrap) {
    const std::vector<int16_t> frame = {10, 250, 30,   400, 90, 1000, 170, 20,
                                        60, 500, 3000, 120, 5,  80,   700, 40};
    const std::vector<int16_t> expected = {-198, 42,  -286, 84,   -106, 20,   -20, -500,
                                           -166, -20, 20,   -403, -548, -473, 48,  -612};
    GuardedBuffer<int16_t> detail(16, int16_t(0x5555));
    computeDetailLayer(detail.data(), frame.data(), 4, 4);
    EXPECT_EQ(detail.contents(), expected);

    // Corner -32768 beside 32767s: -32768 - (131067 >> 3) = -49151, kept as 16385.
    std::vector<int16_t> extremes(9, 32767), layer(9);
    extremes[0] = -32768;
    computeDetailLayer(layer.data(), extremes.data(), 3, 3);
    EXPECT_EQ(layer[0], 16385);
}

// The fixed-point design keeps the terms and the full-resolution detail sum in 16 bits: a
// far outlier or a huge border detail wraps to black where a wider sum would give white.
TEST(Y16Agc, SixteenBitTermsAndSumsWrap) {
    // Values -32000..-31991 and one pixel at 32767, beyond the 0.5 % end: R = 10, gain 541,
    // linear base 100 + 16906; the outlier's linear term 17311 + 17006 wraps to -31219.
    std::vector<int16_t> frame(10000);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = int16_t(-32000 + int(i % 10));
    frame[5000] = 32767;
    const std::vector<int16_t> none(frame.size(), 0);
    auto tables = std::make_unique_for_overwrite<AgcTables>();
    std::vector<uint8_t> grey(frame.size());
    const AgcParams& full = *agcParams(AgcVariant::FullResolutionSharpened);
    mapPlateauAgc(full, grey.data(), frame.data(), 10000, none.data(), *tables);
    EXPECT_EQ(grey[5000], 0);
    AgcParams saturated = full;
    saturated.equalisation.termOverflow = TermOverflow::Saturate;
    mapPlateauAgc(saturated, grey.data(), frame.data(), 10000, none.data(), *tables);
    EXPECT_EQ(grey[5000], 255);

    // Twice the detail is added to a uniform frame's grey 100; a border detail of 16385 makes
    // 32870, -32666 in the 16 bits of full resolution, white in the 32-bit sum of half.
    const std::vector<int16_t> uniform(5, 0), detail = {20, -20, 7, -50, 16385};
    for (auto [variant, greys] : {std::pair{AgcVariant::FullResolutionSharpened,
                                            std::vector<uint8_t>{140, 60, 114, 0, 0}},
                                  {AgcVariant::HalfResolution, {140, 60, 114, 0, 255}}}) {
        std::vector<uint8_t> out(5);
        mapPlateauAgc(*agcParams(variant), out.data(), uniform.data(), 5, detail.data(), *tables);
        EXPECT_EQ(out, greys);
    }
}

}  // namespace
}  // namespace kmm
