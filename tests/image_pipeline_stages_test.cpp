// The ImagePipeline's correction, detail and 8-bit stages: each against a plain reference
// built from the kernels or index formulas, or by properties on the real frames, with a few
// stated numbers pinning arithmetic that could break.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <tuple>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/palette_tables.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/neighbourhood.h"
#include "kernels/simd_level.h"
#include "kernels/weight_tables.h"
#include "random.h"
#include "real_frames.h"

namespace kmm {
namespace {

using Frame = std::vector<int16_t>;

Frame randomFrame(int32_t w, int32_t h, int32_t base, int32_t spread, uint64_t seed) {
    scenes::SplitMix64 rng(seed);
    Frame f(size_t(w) * size_t(h));
    for (auto& v : f) v = int16_t(base + int32_t(rng.next() % uint64_t(spread)));
    return f;
}

// An object with every stage off and the frame copy on: a run leaves the final 16-bit frame.
std::unique_ptr<ImagePipeline> framePipeline(int32_t w, int32_t h) {
    auto p = std::make_unique<ImagePipeline>(w, h, 1.0f);
    p->setColumnStripeFilter(false), p->setPseudoColour(false), p->setKeepFrameCopy(true);
    p->mappingOn = 0;
    return p;
}

// The kept image copy is the grey before zoom and colour: a grey run without zoom returns it.
std::vector<uint8_t> runImage(ImagePipeline& p, const Frame& in) {
    p.setKeepImageCopy(true);
    GuardedBuffer<uint8_t> out(p.outputShape().bytes);
    // A byte short or no frame: refused, untouched.
    EXPECT_FALSE(p.run(in.data(), out.data(), out.size() - 1) || p.run(nullptr, out.data(), out.size()));
    EXPECT_EQ(out.contents(), std::vector<uint8_t>(out.size(), 0xA5));
    EXPECT_TRUE(p.run(in.data(), out.data(), out.size()));
    if (!p.pseudoColourOn && p.imageCopy().size() == out.size()) { EXPECT_EQ(p.imageCopy(), out.contents()); }
    return out.contents();
}

Frame runFrame(ImagePipeline& p, const Frame& in) {
    runImage(p, in);
    return p.frameCopy();
}

TEST(PipelineStages, MirrorAndRotationFollowTheirIndexFormulas) {
    using Source = std::function<int64_t(int64_t r, int64_t c, int64_t w, int64_t h)>;  // input index
    const std::tuple<bool, uint32_t, bool, Source> rows[] = {
        {false, 0, false, [](auto r, auto c, auto w, auto) { return r * w + w - 1 - c; }},
        {false, 1, false, [](auto r, auto c, auto w, auto h) { return (h - 1 - r) * w + c; }},
        {false, 2, false, [](auto r, auto c, auto w, auto h) { return (h - 1 - r) * w + w - 1 - c; }},
        {true, 0, true, [](auto r, auto c, auto w, auto h) { return (h - 1 - c) * w + r; }},
        {true, 1, false, [](auto r, auto c, auto w, auto h) { return (h - 1 - r) * w + w - 1 - c; }},
        {true, 2, true, [](auto r, auto c, auto w, auto) { return c * w + w - 1 - r; }},
    };
    for (auto [w, h] : {std::pair(1, 1), {3, 1}, {4, 2}, {17, 5}, {33, 70}}) {
        const Frame in = randomFrame(w, h, -30000, 60000, uint64_t(w * h));
        for (const auto& [rotate, mode, swaps, source] : rows) {
            GuardedBuffer<int16_t> out(in.size());
            ASSERT_TRUE(rotate ? rotateFrame(out.data(), in.data(), w, h, mode)
                               : mirrorFrame(out.data(), in.data(), w, h, mode));
            const int64_t outW = swaps ? h : w, outH = swaps ? w : h;
            for (int64_t r = 0; r < outH; ++r)
                for (int64_t c = 0; c < outW; ++c)
                    ASSERT_EQ(out[size_t(r * outW + c)], in[size_t(source(r, c, w, h))]) << w << "x" << h << " " << rotate << mode;
            auto p = framePipeline(w, h);  // through a run, where a quarter turn makes the frame tall
            rotate ? (p->setRotation(true), p->rotateMode = mode) : (p->flipOn = 1, p->flipMode = mode);
            EXPECT_EQ(std::pair(p->outputShape().width, p->outputShape().height), std::pair(uint32_t(outW), uint32_t(outH)));
            EXPECT_EQ(runFrame(*p, in), out.contents());
            EXPECT_EQ(std::pair(p->frameCopyWidth, p->frameCopyHeight), std::pair(int32_t(outW), int32_t(outH)));
        }
    }
}

TEST(PipelineStages, BadPixelRepairTakesTheMedianOfGoodNeighbours) {
    // Flags in the gain frame; the stage acts when on and the mask's first entry is not 0 (loaded).
    const struct { Frame frame; std::vector<int> bad; int index; int16_t expected; bool on = true; uint16_t first = 8192; } rows[] = {
        {{10, 20, 30, 40, 0, 9, 9, 9, 9}, {4, 5, 6, 7, 8}, 4, 25},     // 40 30 20 10: 15 + 10
        {{0, 5, 9, 7, 1, 1, 1, 1, 1}, {0}, 0, 5}, {{10, 0, 30, 50, 40, 20, 9, 9, 9}, {1}, 1, 30},  // corner 7 5 1, edge 50 40 30 20 10
        {{0, -3, 0, 0, 0, -4, 0, 0, 0}, {2, 4}, 2, -3},                 // -1 + -2, toward zero
        {{0, 32767, 0, 0, 0, 32767, 0, 0, 0}, {2, 4}, 2, 32766},        // halved before adding
        {{1, 2, 3, 4, 5, 6, 7, 8, 9}, {0, 1, 2, 3, 4, 5, 6, 7, 8}, 4, 5},  // none good: stays
        {{0, 100, 0, 100, 0, 0, 0, 0, 0}, {0, 1}, 0, 50},  // a bad neighbour never counts
        {{1, 2, 3, 4, 100, 6, 7, 8, 9}, {4}, 4, 100, false}, {{1, 2, 3, 4, 100, 6, 7, 8, 9}, {4}, 4, 100, true, 0},
    };
    for (const auto& r : rows) {
        std::vector<uint16_t> gain(9, 8192);
        gain[0] = r.first;
        for (int i : r.bad) gain[size_t(i)] |= 0x8000;
        auto p = framePipeline(3, 3);
        p->setFlatFieldCorrection(true), p->setBadPixelRepair(r.on);  // no raw frame: no correction
        ASSERT_EQ(p->loadFlatField(nullptr, gain.data(), nullptr), 0);
        EXPECT_EQ(runFrame(*p, r.frame)[size_t(r.index)], r.expected) << r.index << " " << r.on << " " << r.first;
    }
}

TEST(PipelineStages, FlatFieldCorrectionArithmeticAndUniformGain) {
    // Q13 gain, the flag bit ignored, truncation toward zero, 16 bits (the last 262,132).
    const std::vector<uint16_t> raws{1000, 1000, 0, 3, 1000, 40000, 65535}, darks{0, 0, 3, 0, 200, 0, 0},
        gains{8192, 0x8000 | 8192, 4096, 4096, 12288, 8192, 0xFFFF};
    GuardedBuffer<int16_t> corrected(raws.size());
    correctFlatField(corrected.data(), raws.data(), darks.data(), gains.data(), int64_t(raws.size()));
    EXPECT_EQ(corrected.contents(), (Frame{1000, 1000, -1, 1, 1200, -25536, -12}));
    // Through the run: the loaded raw frame replaces the input; a unit gain gives it back.
    const Frame real = realFramesY16().at(1);
    std::vector<uint16_t> raw(real.size()), dark(real.size(), 0), gain(real.size(), 8192);
    Frame expected(real.size());
    for (size_t i = 0; i < real.size(); ++i) expected[i] = int16_t(raw[i] = uint16_t(real[i]) & 0x7FFF);
    auto p = framePipeline(kRealWidth, kRealHeight);
    p->setFlatFieldCorrection(true);
    p->setBadPixelRepair(true);  // no pixel flagged: the frame as corrected
    EXPECT_EQ(runFrame(*p, real), real);  // nothing loaded: passes
    ASSERT_EQ(p->loadFlatField(dark.data(), gain.data(), raw.data()), 0);
    EXPECT_EQ(runFrame(*p, Frame(raw.size(), 7)), expected);
}

// Stripe removal written from the kernels: range-weighted smoothing with its mean weights,
// clamped differences, per-line means over the flat positions.
Frame stripeReference(const Frame& in, int32_t w, int32_t h, bool rows, int32_t n, int64_t t, int64_t k) {
    std::array<uint32_t, 512> table;
    buildRangeTable(table, 25);
    Frame smoothed(in.size()), out(in.size()), bordered(size_t(w + 10) * size_t(h + 10));
    std::vector<uint16_t> weight(in.size());
    rangeWeightedFilter(smoothed.data(), weight.data(), in.data(), w, h, table.data(), rows ? 1 : n,
                        rows ? n : 1, bordered.data());
    for (int32_t line = 0; line < (rows ? h : w); ++line) {
        int64_t sum = 0, count = 0;
        const auto at = [&](int32_t a) { return rows ? size_t(line) * w + a : size_t(a) * w + line; };
        for (int32_t a = 0; a < (rows ? w : h); ++a) {
            if (weight[at(a)] < t) continue;
            sum += std::clamp<int64_t>(in[at(a)] - smoothed[at(a)], -k, k);
            ++count;
        }
        const int64_t offset = count ? std::clamp(sum / count, -k, k) : 0;
        for (int32_t a = 0; a < (rows ? w : h); ++a) out[at(a)] = int16_t(uint16_t(in[at(a)] - offset));
    }
    return out;
}

TEST(PipelineStages, StripeRemovalMatchesItsReference) {
    for (auto [w, h] : {std::pair(1, 1), {3, 1}, {1, 4}, {17, 5}, {64, 33}}) {
        // Frames near 0 reach means on either side of it, where the smoothing truncates
        // toward it; spread 20000 wraps through the whole 16-bit range. The line pass at each
        // window and level: Kernels.StripeLineMatchesItsFormula.
        std::vector<std::tuple<uint32_t, uint32_t, uint32_t, int32_t, int32_t>> cases{{4, 3500, 20, -20, 40},
            {11, 0, 5, -32760, 300}, {1, 4096, 20, 0, 2}, {9, 3500, 20, -32765, 1}, {7, 0, 65535, 0, 20000}, {9, 0, 20, -3, 7}};
        for (auto [window, threshold, clamp, base, spread] : cases) {
            const Frame in = randomFrame(w, h, base, spread, uint64_t(w + window));
            for (bool rows : {false, true}) {
                auto p = framePipeline(w, h);
                (rows ? p->rowStripeWindow : p->columnStripeWindow) = window;
                (rows ? p->rowStripeThreshold : p->columnStripeThreshold) = threshold;
                (rows ? p->rowStripeClamp : p->columnStripeClamp) = clamp;
                p->setColumnStripeFilter(!rows), p->setRowStripeFilter(rows);
                const Frame out = runFrame(*p, in);
                EXPECT_EQ(out, stripeReference(in, w, h, rows, int32_t(window), threshold, clamp))
                    << w << "x" << h << " window " << window << " rows " << rows;
                if (spread == 1) { EXPECT_EQ(out, in); }  // a flat frame passes unchanged
            }
        }
    }
}

// Smoothing as the kernels make it at each window a mode takes: the Gaussian of sigma 5 at 3
// x 3 only, the range-weighted filter at 1..11. A window it does not take (above 11 would pass
// the border the work memory holds) leaves the frame as it is, and so does stripe removal's.
TEST(PipelineStages, SmoothingAndWindowsOutOfRange) {
    const Frame in = randomFrame(23, 9, 100, 400, 4);
    std::array<uint32_t, 512> range, kernel;
    buildRangeTable(range, 5), buildSmoothingKernel(kernel, 3, 3, 5);
    for (const auto& [mode, window] : {std::pair(1u, 0u), {1u, 1u}, {1u, 5u}, {1u, 11u}, {1u, 12u}, {0u, 2u}, {0u, 3u}}) {
        auto p = framePipeline(23, 9);
        p->smoothingMode = mode, p->smoothingWindow = window, p->setSmoothing(true);
        Frame expected = in, bordered(size_t(23 + 10) * (9 + 10));
        if (mode == 1 && window >= 1 && window <= 11)
            rangeWeightedFilter(expected.data(), nullptr, in.data(), 23, 9, range.data(), int32_t(window), int32_t(window), bordered.data());
        if (mode == 0 && window == 3) gaussianFilter3x3(expected.data(), in.data(), 23, 9, kernel.data());
        EXPECT_EQ(runFrame(*p, in), expected) << mode << " " << window;
        if (window == 0 || window == 12) {
            auto q = framePipeline(23, 9);
            q->columnStripeWindow = window, q->setColumnStripeFilter(true);
            EXPECT_EQ(runFrame(*q, in), in) << window;
        }
    }
}

// The temporal filter as written: bordered copies, the 4 x 2 block of differences.
struct TemporalReference {
    Frame history;
    std::array<uint32_t, 128> weights;
    Frame run(const Frame& in, int64_t w, int64_t h) {
        if (history.empty()) return history = in;
        const auto at = [&](const Frame& f, int64_t x, int64_t y) {
            return int32_t(f[size_t(std::clamp<int64_t>(y, 0, h - 1) * w + std::clamp<int64_t>(x, 0, w - 1))]);
        };
        Frame out(in.size());
        for (int64_t y = 0; y < h; ++y) {
            for (int64_t x = 0; x < w; ++x) {
                uint32_t sum = 0;
                for (int64_t dy = -1; dy <= 0; ++dy)
                    for (int64_t dx = -1; dx <= 2; ++dx) sum += uint32_t(std::abs(at(in, x + dx, y + dy) - at(history, x + dx, y + dy)));
                const int32_t weight = (sum >> 3) < 128 ? int32_t(weights[sum >> 3]) : 0;
                out[size_t(y * w + x)] = int16_t((at(in, x, y) * (4096 - weight) + at(history, x, y) * weight) >> 12);
            }
        }
        return history = out;
    }
};

TEST(PipelineStages, TemporalFilterMatchesItsReferenceOverASequence) {
    for (auto [w, h] : {std::pair(1, 1), {3, 1}, {17, 5}, {40, 31}}) {
        auto p = framePipeline(w, h);
        p->setTemporalFilter(true);
        TemporalReference ref;
        buildTemporalWeights(ref.weights, 8);
        Frame f = randomFrame(w, h, -32768, 65536, 1);
        for (int step = 0; step < 6; ++step) {
            const Frame noise = randomFrame(w, h, -8 << step, 16 << step, uint64_t(step + w));
            for (size_t i = 0; i < f.size(); ++i) f[i] = int16_t(uint16_t(f[i] + noise[i]));
            ASSERT_EQ(runFrame(*p, f), ref.run(f, w, h)) << w << "x" << h << " frame " << step;
        }
        EXPECT_EQ(p->temporalFrames(), 6u);
    }
}

TEST(PipelineStages, WindowCentredMapping) {
    // Centred on 128 unless given. One code wide, products past 2^31 (4882812 levels over 50000
    // codes: gain 49999) or a top past 2^31 take the 64-bit path. 37 values a call, every level.
    const struct { int16_t high, low, value; uint8_t grey; uint32_t width = 200, centre = 128; } rows[] = {
        {100, 0, 0, 28}, {100, 0, 50, 128}, {100, 0, 100, 228}, {100, 0, -1, 28}, {100, 0, 101, 228},
        {100, 0, 33, 94}, {0, 0, 0, 228}, {0, 0, -1, 28}, {-5, 5, 7, 228}, {1, 0, 1, 228}, {1, 0, 0, 28},
        {7, 0, 7, 227}, {100, 50, 75, 128}, {25000, -25000, 20000, 255, 4882812},  // 7 x (102400 / 7 = 14628) >> 9 = 199
        {100, 0, 100, 255, 200, (1u << 31) - 100}};
    for (const SimdLevel level : supportedSimdLevels()) {
        const ScopedSimdLevel scope(level);
        for (const auto& [high, low, value, grey, width, centre] : rows) {
            const std::vector<int16_t> values(37, value);
            std::vector<uint8_t> out(values.size());
            mapWindowCentred(out.data(), values.data(), int64_t(values.size()), high, low, centre, width);
            EXPECT_EQ(out, std::vector<uint8_t>(values.size(), grey)) << high << " " << low << " " << value;
        }
    }
}

TEST(PipelineStages, DetailMappingMatchesItsReference) {
    for (const SimdLevel level : supportedSimdLevels())
    for (const uint32_t gain : {48u, 700u, 90000u})
    for (auto [w, h] : {std::pair(1, 1), {3, 1}, {17, 5}, {64, 41}}) {
        const ScopedSimdLevel scope(level);
        const Frame in = randomFrame(w, h, 200, gain == 48 ? 600 : 150, uint64_t(w * 7 + h));  // 600: details past +-25
        ImagePipeline p(w, h, 1.0f);
        p.setColumnStripeFilter(false), p.setPseudoColour(false), p.setMappingMode(3);
        p.setRangeHigh(320), p.setRangeLow(220), p.detailOn = 1, p.detailGain = gain, p.setAdaptiveEqualisation(gain == 700);
        std::array<uint32_t, 512> range, kernel;
        buildRangeTable(range, 15);
        buildSmoothingKernel(kernel, 3, 3, 15);
        Frame base(in.size()), smoothed(in.size()), bordered(size_t(w + 10) * size_t(h + 10));
        rangeWeightedFilter(base.data(), nullptr, in.data(), w, h, range.data(), 3, 3, bordered.data());
        gaussianFilter3x3(smoothed.data(), base.data(), w, h, kernel.data());
        std::vector<uint8_t> expected(in.size());
        mapWindowCentred(expected.data(), base.data(), int64_t(in.size()), 320, 220, 20, 200);
        if (gain == 700) ImagePipeline(w, h, 1.0f).equaliseAdaptive(expected.data(), std::vector(expected).data(), w, h);
        for (size_t i = 0; i < in.size(); ++i) {
            const double v = std::clamp(base[i] - smoothed[i], -25, 25) * double(gain) * 0.0625 + expected[i];
            expected[i] = uint8_t(std::clamp(v, 0.0, 255.0));
        }
        EXPECT_EQ(runImage(p, in), expected) << w << "x" << h << " gain " << gain;
        // Without detail gain, the other modes map the base layer as they map any frame.
        for (const uint32_t mode : {0u, 1u, 2u}) {
            const auto mapped = [&](const Frame& frame, uint32_t detail) {
                ImagePipeline q(w, h, 1.0f);
                q.setColumnStripeFilter(false), q.setPseudoColour(false), q.setMappingMode(mode);
                q.detailOn = detail, q.detailGain = 0;
                return runImage(q, frame);
            };
            EXPECT_EQ(mapped(in, 1), mapped(base, 0)) << w << "x" << h << " mode " << mode;
        }
    }
}

TEST(PipelineStages, EightBitStagesStatedNumbers) {
    // Sharpening: a bright 200 on 100 saturates; each neighbour 100 x 2 - 112; at 0.5 the
    // centre is 200 x 1.5 - 100 x 0.5 and a neighbour 100 x 1.5 - 112 x 0.5.
    std::vector<uint8_t> image(25, 100), sharp(25);
    image[12] = 200;
    sharpenImage(sharp.data(), image.data(), 5, 5, 1.0f);
    EXPECT_EQ(std::tuple(sharp[12], sharp[6], sharp[18], sharp[0]), std::tuple(255, 88, 88, 100));
    sharpenImage(sharp.data(), image.data(), 5, 5, 0.5f);
    EXPECT_EQ(std::tuple(sharp[12], sharp[6], sharp[0]), std::tuple(250, 94, 100));
    sharpenImage(sharp.data(), image.data() + 8, 3, 3, 1.0f);  // 3 x 3 has an inside pixel
    EXPECT_EQ(sharp[4], 255);
    std::vector<uint8_t> noisy(25);  // whatever the image, its outer border stays
    for (size_t i = 0; i < noisy.size(); ++i) noisy[i] = uint8_t(i * 97 + 13);
    sharpenImage(sharp.data(), noisy.data(), 5, 5, 1.0f);
    for (size_t i : {0u, 4u, 5u, 9u, 10u, 14u, 15u, 19u, 20u, 24u}) EXPECT_EQ(sharp[i], noisy[i]) << i;
    // Brightness/contrast: gain 256 around the mean 100 (150 and 50); the defaults change nothing.
    std::vector<uint8_t> pair{150, 50, 7}, inverse(256);
    for (size_t g = 0; g < 256; ++g) inverse[g] = uint8_t(255 - g);  // then an inverting look-up table on the first two
    adjustContrast(pair.data(), 2, 256, 128), applyLut(pair.data(), 2, inverse.data());
    EXPECT_EQ(pair, (std::vector<uint8_t>{255 - 200, 255 - 0, 7}));
    adjustContrast(image.data(), 25, 128, 128);
    EXPECT_EQ(std::count(image.begin(), image.end(), 100), 24);
    EXPECT_EQ(zoomedSide(641, 1.5f), 961);  // the zoom's taps: PipelineKernels
}

TEST(PipelineStages, ColourStageAgainstTheLayoutWriter) {
    const Frame real = realFramesY16().at(0);
    const auto made = [&](uint32_t format, uint8_t kind, uint32_t mode, int16_t high, int16_t low) {
        ImagePipeline p(kRealWidth, kRealHeight, 1.0f);
        p.setColourFormat(format), p.palette = 3, p.paletteKind = kind;
        p.colourParams = {.markMode = mode, .markHigh = high, .markLow = low};
        return runImage(p, real);
    };
    ImagePipeline greyOnly(kRealWidth, kRealHeight, 1.0f);
    greyOnly.setPseudoColour(false);
    const std::vector<uint8_t> grey = runImage(greyOnly, real);
    for (uint32_t format = 0; format <= kColourFormatCount; ++format) {  // one past the last: grey
        std::vector<uint8_t> expected(colourOutputBytes(format, kRealWidth, kRealHeight));
        if (!colourByPalette(expected.data(), grey.data(), kRealWidth, kRealHeight, 3, format)) expected = grey;
        EXPECT_EQ(made(format, 0, 0, 5000, 2000), expected) << format;
        // Kind 1 marking an empty grey range colours like the palette in the RGB formats.
        if (format <= 3) { EXPECT_EQ(made(format, 1, 3, -32768, 32767), expected) << format; }
    }
    // Mark levels inside the scene (the median), marking above (0), below (1), both ways (2) or between (3)
    // them, through RGB and through Y, Cb, Cr worked out in single precision from the colour. The
    // tuned brightness lifts the coldest grey off 0, as mode 1's threshold is measured from it.
    Frame sorted = real;
    std::nth_element(sorted.begin(), sorted.begin() + ptrdiff_t(sorted.size() / 2), sorted.end());
    const int16_t median = sorted[sorted.size() / 2];
    ImagePipeline mixedGrey(kRealWidth, kRealHeight, 1.0f);
    mixedGrey.setPseudoColour(false), mixedGrey.setMappingMode(2);  // whose greys the mark levels take
    mixedGrey.setCustomTuning(1), mixedGrey.setLinearBrightness(250);
    const std::vector<uint8_t> greys = runImage(mixedGrey, real);
    using Rgb = std::array<int, 3>;
    Frame crowded = randomFrame(64, 32, 0, 100, 9);  // a crowded hottest value
    for (size_t i = 0; i < crowded.size(); i += 3) crowded[i] = 100;
    for (const auto& [f, w] : {std::pair{real, kRealWidth}, {crowded, 64}}) {  // a mark level takes the grey the mapping gives its value
        ImagePipeline q(w, int32_t(f.size()) / w, 1.0f);
        q.setColumnStripeFilter(false), q.setMappingMode(2), q.paletteKind = 1;
        runImage(q, f);
        for (size_t i = 0; i < f.size(); ++i) ASSERT_EQ(q.greyOfValue(f[i]), q.imageCopy()[i]) << i;
    }
    // A packed colour of 0 or all ones marks in the palette's top colour.
    const auto unpacked = [](uint32_t packed) {
        const uint8_t* top = rgbEntry(3, 255);
        return packed == 0 || packed == ~0u ? Rgb{top[0], top[1], top[2]}
                                            : Rgb{int(packed >> 16), int(packed >> 8 & 255), int(packed & 255)};
    };
    for (const auto& [mode, high, low, markColour, lowMarkColour] :
         {std::tuple<uint32_t, int16_t, int16_t, uint32_t, uint32_t>{0, median, 0, 0x123456, 0x654321},
          {1, 0, median, 0x123456, 0x654321}, {2, median, median, 0x123456, 0x654321},
          {3, 32767, median, 0x123456, 0x654321}, {0, median, 0, 0, 0}, {2, median, median, ~0u, 0}}) {
        const Rgb m = unpacked(markColour), lm = unpacked(lowMarkColour);
        for (uint32_t format : {2u, 4u}) {
            ImagePipeline p(kRealWidth, kRealHeight, 1.0f);
            p.setMappingMode(2), p.setCustomTuning(1), p.setLinearBrightness(250), p.setColourFormat(format);
            p.palette = 3, p.paletteKind = 1;
            p.colourParams = {.markMode = mode, .markHigh = high, .markLow = low, .markColour = markColour,
                             .lowMarkColour = lowMarkColour};
            const std::vector<uint8_t> marked = runImage(p, real);
            const float hi = p.greyOfValue(high), lo = p.greyOfValue(low);
            const float hottest = p.greyOfValue(*std::max_element(real.begin(), real.end()));
            const float coldest = p.greyOfValue(*std::min_element(real.begin(), real.end()));
            const int threshold = int(mode == 0 ? hi - (hottest - hi) * 0.1f : lo - (lo - coldest) * 0.1f);
            ASSERT_TRUE(threshold > 0 && lo < hottest);
            for (size_t i = 0; i < greys.size(); i += 101) {
                const int g = greys[i];
                const uint8_t* e = rgbEntry(3, greys[i]);
                Rgb c{e[0], e[1], e[2]};
                if (mode == 0 && g > threshold) c = {g * m[0] >> 8, m[1], m[2]};
                if (mode == 1 && g <= threshold) c = {m[0], std::min((g * m[1] >> 8) + 10, 255), m[2]};
                if (mode == 2 && g > hi) c = {g * m[0] >> 8, m[1], m[2]};
                if (mode == 2 && g <= lo) c = {lm[0], std::min((g * lm[1] >> 8) + 10, 255), lm[2]};
                if (mode == 3 && g >= lo && g <= hi) c = {m[0] * g >> 8, m[1] * g >> 8, m[2]};
                const float r = float(c[0]), gr = float(c[1]), b = float(c[2]);
                const Rgb ycc{int(std::clamp(0.183f * r + 0.614f * gr + 0.062f * b + 16.0f, 0.0f, 255.0f)),
                              int(std::clamp(128.0f - 0.101f * r - 0.339f * gr + 0.439f * b, 0.0f, 255.0f)),
                              int(std::clamp(128.0f + 0.439f * r - 0.399f * gr - 0.040f * b, 0.0f, 255.0f))};
                if (format == 2) {
                    ASSERT_EQ((Rgb{marked[3 * i], marked[3 * i + 1], marked[3 * i + 2]}), c) << mode << " at " << i;
                } else {
                    ASSERT_EQ(marked[2 * i], ycc[0]) << mode << " at " << i;
                    ASSERT_EQ(marked[2 * i + 1], ycc[i % 2 == 0 ? 1 : 2]) << mode << " at " << i;
                }
            }
        }
    }
}

// Sharpening, zoom and colour in one run take turns with the two images: the same as the
// colour stage on the sharpened, zoomed grey.
TEST(PipelineStages, ThreeImageStagesInOneRunAreTheirComposition) {
    const Frame in = randomFrame(33, 17, 0, 3000, 5);
    const auto run = [&](bool colour) {
        ImagePipeline p(33, 17, 1.5f);
        p.setColumnStripeFilter(false), p.setPseudoColour(colour), p.setColourFormat(2);
        p.sharpenOn = 1, p.palette = 3;
        return runImage(p, in);
    };
    const std::vector<uint8_t> grey = run(false);
    const int32_t w = zoomedSide(33, 1.5f), h = zoomedSide(17, 1.5f);
    std::vector<uint8_t> expected(colourOutputBytes(2, w, h));
    ASSERT_TRUE(grey.size() == size_t(w * h) && colourByPalette(expected.data(), grey.data(), w, h, 3, 2));
    EXPECT_EQ(run(true), expected);
}

TEST(PipelineStages, BrightMarkGreensHoldAtTheTop) {
    // Greys up to 255, all below the low mark: a full green mark's (g x 255 >> 8) + 10 stops at 255.
    const Frame ramp = randomFrame(512, 1, -32768, 65536, 3);
    const auto bright = [&](uint32_t mode, bool colour) {
        ImagePipeline p(512, 1, 1.0f);
        p.setPseudoColour(colour), p.setMappingMode(2), p.setCustomTuning(1), p.setLinearBrightness(250);
        p.equaliseBrightness = 250, p.paletteKind = 1;
        p.colourParams = {.markMode = mode, .markHigh = 32767, .markLow = 32767, .markColour = 0xFF00, .lowMarkColour = 0xFF00};
        return runImage(p, ramp);
    };
    const std::vector<uint8_t> greys = bright(1, false);
    ASSERT_EQ(*std::max_element(greys.begin(), greys.end()), 255);
    for (uint32_t mode : {1u, 2u}) {
        const std::vector<uint8_t> rgb = bright(mode, true);
        for (size_t i = 0; i < greys.size(); ++i)
            ASSERT_EQ(rgb[3 * i + 1], std::min((greys[i] * 255 >> 8) + 10, 255)) << mode << " at " << i;
    }
}

}  // namespace
}  // namespace kmm
