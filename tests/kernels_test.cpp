// The image kernels against plain per-pixel references, on random frames of odd sizes with
// canaries around every output, and the weight-table values that pin their float arithmetic.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <array>
#include <limits>
#include <memory>
#include <numeric>
#include <tuple>
#include <vector>

#include "guarded_buffer.h"
#include "kernels/float_codes.h"
#include "kernels/grey_map.h"
#include "kernels/histogram.h"
#include "kernels/linear.h"
#include "kernels/neighbourhood.h"
#include "kernels/simd_level.h"
#include "kernels/stripe_line.h"
#include "kernels/weight_tables.h"
#include "random.h"
#include "y16map/detail_layer.h"
#include "y16map/sharpen_grey.h"

namespace kmm {
namespace {

struct Shape {
    int32_t width, height;
    size_t count() const { return size_t(uint16_t(width)) * uint16_t(height); }
};
// 6 x 2 and 2 x 6: two lines, no interior, so the 3 x 3 operations copy.
constexpr Shape kShapes[] = {{1, 1}, {3, 1}, {1, 3}, {6, 2}, {2, 6}, {4, 3}, {3, 4}, {17, 5}, {641, 513}};

// Each shape in three kinds: the whole 16-bit range, a narrow band (a flat scene), and the
// band with a few outliers at either end.
template <class Sample = int16_t>
std::vector<Sample> randomFrame(scenes::SplitMix64& rng, size_t count, int kind) {
    std::vector<Sample> f(count);
    const int64_t base = int64_t(rng.next() % 50000) - 25000;
    for (auto& v : f) {
        int64_t x = base + int64_t(rng.next() % 200);
        if (kind == 0 || (kind == 2 && rng.next() % 97 == 0)) x = int64_t(rng.next() % 65536) - 32768;
        v = Sample(std::is_signed_v<Sample> ? x : x + 32768);
    }
    return f;
}

// Every shape and kind at every instruction-set level this processor has, each level on the
// same frames.
template <class Body> void forEachFrame(uint64_t seed, Body&& body) {
    for (const SimdLevel level : supportedSimdLevels()) {
        const ScopedSimdLevel scope(level);
        scenes::SplitMix64 rng(seed);
        for (const Shape& s : kShapes) {
            for (int kind = 0; kind < 3; ++kind) {
                SCOPED_TRACE(testing::Message() << simdLevelName(level) << " " << s.width << "x"
                                                << s.height << " kind " << kind);
                body(s, rng, kind);
            }
        }
    }
}

// The value at (x, y) with the frame's edge values repeated outward.
template <class T> int32_t clampedAt(const std::vector<T>& f, Shape s, int64_t x, int64_t y) {
    x = std::clamp<int64_t>(x, 0, s.width - 1);
    y = std::clamp<int64_t>(y, 0, s.height - 1);
    return f[size_t(y * s.width + x)];
}

TEST(Kernels, HistogramCountsTheOccupiedRangeAndWritesNothingElse) {
    forEachFrame(1, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        const auto f = randomFrame(rng, s.count(), kind);
        std::vector<uint16_t> codes(f.size());
        for (size_t i = 0; i < f.size(); ++i) codes[i] = uint16_t(f[i] + 32768);
        // Y16, halved Y16, the percentile stretch's bins (the low end limited), the high end limited, Kelvin codes.
        for (const IndexMapping m : {IndexMapping{32768, false}, {8192, true}, {16384, false}, {49152, false}, {0, false}}) {
            const bool codeSamples = m.offset == 0;
            auto h = std::make_unique<Histogram>();
            std::fill(std::begin(h->counts), std::end(h->counts), 0xC0FFEEu);
            std::fill(std::begin(h->narrow), std::end(h->narrow), 0xC0FFEEu);
            const HistogramScan scan = codeSamples ? buildHistogram(codes.data(), int64_t(f.size()), m, *h)
                                                   : buildHistogram(f.data(), int64_t(f.size()), m, *h);
            std::vector<uint32_t> counts(kIndexCount, 0);
            HistogramScan want{65535, 0, 0, 0, 65535, -32768};
            for (size_t i = 0; i < f.size(); ++i) {
                const int32_t v = codeSamples ? codes[i] : f[i];
                const int32_t k = std::clamp((m.halved ? v / 2 : v) + m.offset, 0, 65535);
                ++counts[size_t(k)];
                want = {std::min(want.first, k), std::max(want.last, k), want.indexSum + k,
                        want.valueSum + v, std::min(want.valueMin, v), std::max(want.valueMax, v)};
            }
            const auto fields = [](const HistogramScan& r) {
                return std::tie(r.first, r.last, r.indexSum, r.valueSum, r.valueMin, r.valueMax);
            };
            ASSERT_EQ(fields(scan), fields(want)) << m.offset;
            if (!codeSamples) {  // the extremes given rather than scanned: the same scan
                const SampleRange known{want.valueMin, want.valueMax};
                ASSERT_EQ(fields(buildHistogram(f.data(), int64_t(f.size()), m, *h, known)), fields(want)) << m.offset;
            }
            for (int32_t k = 0; k < kIndexCount; ++k) {
                const bool inside = k >= scan.first && k <= scan.last;
                ASSERT_EQ(h->counts[k], inside ? counts[size_t(k)] : 0xC0FFEEu) << k;
            }
        }
    });
}

TEST(Kernels, PercentileIndexStopsOnlyOnAnOccupiedIndex) {
    std::vector<uint32_t> h(16, 0);
    h[3] = 2, h[7] = 4, h[12] = 70000;
    const struct { int32_t from, to; int64_t need; uint32_t limit; std::optional<int32_t> index; } rows[] = {
        {3, 12, 0, kExactCounts, 3}, {3, 12, 3, kExactCounts, 7}, {3, 12, 7, kExactCounts, 12},
        {12, 3, 2, kExactCounts, 12}, {12, 0, 70001, kExactCounts, 7}, {0, 15, 70007, kExactCounts, {}},
        {12, 3, 65536, 65535, 7},  // counters that stop at 65,535 reach the need one index later
        {15, 0, 65541, 65535, 3}};
    for (const auto& r : rows)
        EXPECT_EQ(percentileIndex(h.data(), r.from, r.to, r.need, r.limit), r.index)
            << r.from << ".." << r.to << " need " << r.need;
    std::vector<uint32_t> cumulative(16, 0xBAD);
    EXPECT_EQ(accumulateLimited(cumulative.data(), h.data(), 3, 12, 3), 8u);
    EXPECT_EQ(std::vector<uint32_t>(cumulative.begin() + 2, cumulative.begin() + 14),
              (std::vector<uint32_t>{0xBAD, 2, 2, 2, 2, 5, 5, 5, 5, 5, 8, 0xBAD}));
}

TEST(Kernels, LinearStretchWindowAndInsideSumMatchTheirFormulas) {
    const int64_t gains[] = {0, 1, 402, 1023, 1024, 32767, -300, 32768, 65535, 65536, 261120, -(int64_t(1) << 30)};
    const int64_t offsets[] = {0, 100, -5000, int64_t(1) << 30, -(int64_t(1) << 35)};
    forEachFrame(2, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        const auto f = randomFrame(rng, s.count(), kind);
        const auto codes = randomFrame<uint16_t>(rng, s.count(), kind);
        const auto n = int64_t(s.count());
        for (int64_t gain : gains) {
            // A unit gain beside a mid-grey offset shows how every negative sample rounds.
            const int64_t offset = gain == 1 ? 100 : offsets[rng.next() % std::size(offsets)];
            GuardedBuffer<uint8_t> out(s.count()), outCodes(s.count());
            stretchLinear(out.data(), f.data(), n, gain, offset);
            stretchLinear(outCodes.data(), codes.data(), n, gain, offset);
            for (size_t i = 0; i < s.count(); ++i) {
                ASSERT_EQ(out[i], std::clamp<int64_t>(f[i] * gain / 1024 + offset, 0, 255)) << gain;
                ASSERT_EQ(outCodes[i], std::clamp<int64_t>(codes[i] * gain / 1024 + offset, 0, 255));
            }
        }
        for (int trial = 0; trial < 4; ++trial) {
            // Odd trials: windows under 256 values, whose products need 17 bits; the first
            // nearly the whole range, whose scale of 1 leaves values above it small products.
            const int32_t low = trial == 0 ? -32768 : int32_t(rng.next() % 65535) - 32768;
            const auto span = uint64_t(std::min(32767 - low, trial % 2 ? 300 : 65535));
            const int32_t high = trial == 0 ? 32700 : low + 1 + int32_t(rng.next() % span);
            GuardedBuffer<uint8_t> out(s.count());
            mapWindowQ9(out.data(), f.data(), n, int16_t(high), int16_t(low));
            const int32_t scale = 130560 / (high - low);
            WindowSum want;
            for (size_t i = 0; i < s.count(); ++i) {
                const int32_t v = f[i];
                ASSERT_EQ(out[i], v < low ? 0 : v > high ? 255 : (v - low) * scale >> 9) << low << ".." << high;
                if (v > low && v < high) want = {want.sum + v, want.count + 1};
            }
            const WindowSum got = sumInside(f.data(), n, low, high);
            ASSERT_TRUE(got.sum == want.sum && got.count == want.count) << low << ".." << high;
        }
    });
    // Every window up to 1024 wide at every value in it: widths that divide 130561, such as
    // 137, would show a scale one too large.
    std::vector<int16_t> ramp(1025);
    std::iota(ramp.begin(), ramp.end(), int16_t(0));
    for (int32_t width = 1; width <= 1024; ++width) {
        std::vector<uint8_t> out(size_t(width) + 1);
        mapWindowQ9(out.data(), ramp.data(), int64_t(out.size()), int16_t(width), 0);
        for (int32_t k = 0; k <= width; ++k) ASSERT_EQ(out[size_t(k)], k * (130560 / width) >> 9) << width;
    }
}

TEST(Kernels, TableLookUpsMatchTheirFormulas) {
    size_t turn = 0;
    forEachFrame(3, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        const auto f = randomFrame(rng, s.count(), kind);
        const auto detail = randomFrame(rng, s.count(), kind == 0 ? 0 : 1);
        std::vector<uint8_t> byIndex(kIndexCount), scratch(kIndexCount);
        for (auto& g : byIndex) g = uint8_t(rng.next());
        const auto [lo, hi] = std::minmax_element(f.begin(), f.end());
        for (const IndexMapping m : {IndexMapping{32768, false}, {8192, true}, {16384, false}}) {
            const uint8_t* byValue = mapByValue(byIndex.data(), m, *lo, *hi, scratch.data());
            GuardedBuffer<uint8_t> plain(s.count()), wrapped(s.count()), wide(s.count());
            applyMap(plain.data(), f.data(), int64_t(s.count()), byValue);
            // Weights that fit 16 bits, the ends among them, and ones just past either end.
            const int32_t weight = std::array{2, -3, 40000, -32769, 32768, -32768, 32767}[turn++ % 7];
            applyMapWithDetail(wrapped.data(), f.data(), detail.data(), int64_t(s.count()), byValue, weight, true);
            applyMapWithDetail(wide.data(), f.data(), detail.data(), int64_t(s.count()), byValue, weight, false);
            for (size_t i = 0; i < s.count(); ++i) {
                const int32_t g = byIndex[size_t(std::clamp((m.halved ? f[i] / 2 : f[i]) + m.offset, 0, 65535))];
                ASSERT_EQ(plain[i], g) << m.offset;
                const int32_t sum = g + weight * detail[i];
                ASSERT_EQ(wide[i], std::clamp(sum, 0, 255));
                ASSERT_EQ(wrapped[i], std::clamp<int32_t>(int16_t(uint16_t(sum)), 0, 255));
            }
        }
    });
}

TEST(Kernels, NeighbourhoodFiltersMatchWindowsWithRepeatedEdges) {
    std::vector<uint32_t> range(512);
    buildRangeTable(range, 25);
    size_t odd = 0;  // the weight that kind 2 sets apart, each in turn
    forEachFrame(4, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        const auto f = randomFrame(rng, s.count(), kind);
        // Without a weight of its own, a pixel whose neighbours all lie far off keeps its value.
        std::vector<uint32_t> table = range;
        if (kind == 0) table[0] = 0;
        for (auto [a, b] : {std::pair{1, 1}, {3, 3}, {5, 3}, {3, 5}, {9, 1}, {1, 9}, {11, 11}}) {
            const bool large = s.count() > 1000;
            if (large && a * b > 9) continue;
            const size_t stride = size_t(s.width + a / 2 * 2);
            GuardedBuffer<int16_t> bordered(stride * size_t(s.height + b / 2 * 2));
            fillBorder(bordered.data(), f.data(), s.width, s.height, a, b);
            for (size_t i = 0; i < bordered.size(); ++i)
                ASSERT_EQ(bordered[i], clampedAt(f, s, int64_t(i % stride) - a / 2, int64_t(i / stride) - b / 2));
            GuardedBuffer<int16_t> out(s.count());
            GuardedBuffer<uint16_t> weights(s.count());
            rangeWeightedFilter(out.data(), weights.data(), f.data(), s.width, s.height, table.data(), a, b, bordered.data());
            GuardedBuffer<int16_t> withoutWeights(s.count());  // the 32-bit path of small windows
            rangeWeightedFilter(withoutWeights.data(), nullptr, f.data(), s.width, s.height, table.data(), a, b, bordered.data());
            ASSERT_EQ(withoutWeights.contents(), out.contents());
            for (size_t i = 0; i < s.count(); ++i) {
                const int64_t x = int64_t(i) % s.width, y = int64_t(i) / s.width;
                int64_t weightSum = 0, valueSum = 0;
                for (int64_t dy = -(b / 2); dy <= b / 2; ++dy) {
                    for (int64_t dx = -(a / 2); dx <= a / 2; ++dx) {
                        const int32_t v = clampedAt(f, s, x + dx, y + dy);
                        const uint32_t w = table[size_t(std::min(std::abs(f[i] - v), 511))];
                        weightSum += w;
                        valueSum += int64_t(w) * v;
                    }
                }
                ASSERT_EQ(out[i], weightSum ? int16_t(valueSum / weightSum) : f[i]) << a << "x" << b;
                ASSERT_EQ(weights[i], weightSum / (a * b)) << a << "x" << b;
            }
        }
        std::vector<uint32_t> kernel(9);
        for (auto& k : kernel) k = uint32_t(rng.next() % 4097);
        if (kind != 0) kernel = {kernel[0], kernel[1], kernel[0], kernel[1], kernel[4], kernel[1],
                                 kernel[0], kernel[1], kernel[0]};  // symmetric like the built ones
        if (kind == 2) {  // nine equal weights but one outer: only the general path has it right
            std::fill(kernel.begin() + 1, kernel.end(), kernel[0]);
            ++kernel[std::array{0u, 1u, 2u, 3u, 5u, 6u, 7u, 8u}[odd++ % 8]];
        }
        GuardedBuffer<int16_t> out(s.count());
        gaussianFilter3x3(out.data(), f.data(), s.width, s.height, kernel.data());
        for (size_t i = 0; i < s.count(); ++i) {
            const int64_t x = int64_t(i) % s.width, y = int64_t(i) / s.width;
            int32_t sum = 0;
            for (int k = 0; k < 9; ++k) sum += int32_t(kernel[size_t(k)]) * clampedAt(f, s, x + k % 3 - 1, y + k / 3 - 1);
            ASSERT_EQ(out[i], int16_t(uint16_t(sum >> 12))) << i;
        }
    });
}

// Stripe removal's line pass against its per-position formula, for every window, with the
// stripe table (the byte-shuffle pass at AVX2) and a wider one whose weights go on past 127.
TEST(Kernels, StripeLineMatchesItsFormula) {
    std::vector<uint32_t> stripe(512), wide(512);
    buildRangeTable(stripe, 25), buildRangeTable(wide, 60);
    forEachFrame(6, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        if (s.count() > 1000) return;
        const auto f = randomFrame(rng, s.count(), kind);
        const std::vector<uint32_t>& table = kind == 0 ? wide : stripe;
        const StripeByteTables bytes = stripeByteTables(table.data());
        for (int32_t window = 1; window <= 11; ++window) {
            const int32_t before = window / 2, after = window - 1 - before, length = int32_t(s.count());
            std::vector<int16_t> line(size_t(length + window - 1));  // the edge values repeated
            for (size_t k = 0; k < line.size(); ++k) line[k] = int16_t(clampedAt(f, Shape{length, 1}, int64_t(k) - before, 0));
            const auto sumsAt = [&](int32_t x) {  // the window's weights, and weighted values
                int64_t w = 0, v = 0;
                for (int32_t k = x; k < x + window; ++k) {
                    const int64_t weight = table[size_t(std::min(std::abs(f[size_t(x)] - line[size_t(k)]), 511))];
                    w += weight, v += weight * line[size_t(k)];
                }
                return std::pair(w, v);
            };
            // Half the thresholds are a weight sum of the line: the flat test's edge is reached.
            const auto threshold = int32_t(rng.next() % 2 ? sumsAt(length / 2).first : rng.next() % (2048 * window));
            const StripeLine p{table.data(), before, after, threshold,
                               int32_t(rng.next() % 4 == 0 ? 65535 : rng.next() % 300), &bytes};
            std::vector<uint32_t> scratch(stripeLineScratch(length, p) / 4 + 1);
            std::vector<int32_t> sums(s.count(), 7), counts(s.count(), 1);
            accumulateFlatDifferences(sums.data(), counts.data(), line.data(), length, p, scratch.data());
            for (int32_t x = 0; x < length; ++x) {
                const int32_t c = f[size_t(x)];
                const auto [w, v] = sumsAt(x);
                const bool flat = w >= p.flatWeight;
                const int64_t smoothed = w > 0 ? v / w : c;
                ASSERT_EQ(sums[size_t(x)], 7 + (flat ? std::clamp<int64_t>(c - smoothed, -p.clamp, p.clamp) : 0)) << window;
                ASSERT_EQ(counts[size_t(x)], 1 + int32_t(flat)) << window;
            }
        }
    });
}

// The interiors of the detail layer and of the unsharp mask, and the mask's copied border; the
// detail layer's border is the worked example of the Y16 mapping tests.
TEST(Kernels, ThreeByThreeRowOperationsMatchTheirFormulas) {
    forEachFrame(5, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        const auto f = randomFrame(rng, s.count(), kind);
        GuardedBuffer<int16_t> detail(s.count());
        computeDetailLayer(detail.data(), f.data(), s.width, s.height);
        std::vector<uint8_t> grey(s.count());
        for (auto& g : grey) g = uint8_t(kind == 1 ? 100 + rng.next() % 30 : rng.next());
        const float strength = std::array{1.0f, 0.3f, 2.5f}[size_t(kind)];
        GuardedBuffer<uint8_t> sharp(s.count());
        sharpenGrey(sharp.data(), grey.data(), s.width, s.height, strength);
        const auto kS = int32_t(double(strength) * 1024.0);
        for (size_t i = 0; i < s.count(); ++i) {
            const int64_t x = int64_t(i) % s.width, y = int64_t(i) / s.width;
            const bool interior = x > 0 && y > 0 && x < s.width - 1 && y < s.height - 1;
            if (!interior) {
                ASSERT_EQ(sharp[i], grey[i]);
                if (s.width < 3 || s.height < 3) { ASSERT_EQ(detail[i], 0); }
                continue;
            }
            int32_t sum = -clampedAt(f, s, x + 1, y + 1), neighbours = -grey[i];
            for (int64_t dy = -1; dy <= 1; ++dy) {
                for (int64_t dx = -1; dx <= 1; ++dx) {
                    sum += clampedAt(f, s, x + dx, y + dy);
                    neighbours += clampedAt(grey, s, x + dx, y + dy);
                }
            }
            ASSERT_EQ(detail[i], std::clamp(f[i] - (sum >> 3), -20, 20)) << x << "," << y;
            const int32_t m = neighbours >> 3;
            ASSERT_EQ(sharp[i], std::clamp((grey[i] * (1024 + kS) - m * kS) >> 10, 0, 255)) << x << "," << y;
        }
    });
}

// Temperatures of every size of value, with the values where the saturations and the 16-bit
// wrap start, the two zeros and non-finite ones (none on frames of kind 2), on every scale the
// mappings use: offset codes, temperature codes, then Kelvin codes.
TEST(Kernels, FloatCodesMatchTheirPerValueFormsAndFindTheExtremes) {
    const float edges[] = {-2147483648.0f / 10 + 50, 2147483648.0f / 100 + 50, 2147483520.0f / 10 + 50,
                           -273.15f, -273.1f, 382.2f, 6280.4f, 6280.5f, 1638.35f, -1638.45f, 0.0f, -0.0f, 1e30f, -1e30f};
    const float nonFinite[] = {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                               std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::quiet_NaN()};
    const struct { bool saturated; float add, scale; } scales[] = {
        {false, -50.0f, 10.0f}, {false, -50.0f, 100.0f}, {false, 0.0f, 20.0f}, {true, 273.1f, 10.0f}, {true, 273.15f, 100.0f}};
    forEachFrame(6, [&](Shape s, scenes::SplitMix64& rng, int kind) {
        std::vector<float> t(s.count());
        for (auto& v : t) {
            const float magnitude = std::array{1e3f, 1e9f, 1e38f}[size_t(kind)];
            v = float(int64_t(rng.next() % 2000001) - 1000000) * 1e-6f * magnitude;
            if (rng.next() % 13 == 0) v = edges[rng.next() % std::size(edges)];
        }
        for (size_t i = size_t(kind); kind != 2 && i < t.size(); i += 7) t[i] = nonFinite[rng.next() % 4];
        const bool allFinite = std::all_of(t.begin(), t.end(), [](float v) { return std::isfinite(v); });
        const auto check = [&](auto convert, auto reference, float add, float scale) {
            GuardedBuffer<decltype(reference(0.0f, 0.0f, 0.0f))> codes(t.size());
            const FloatExtremes ends = convert(codes.data(), t.data(), int64_t(t.size()), add, scale);
            for (size_t i = 0; i < t.size(); ++i) ASSERT_EQ(codes[i], reference(t[i], add, scale)) << t[i];
            ASSERT_EQ(ends.finite(), allFinite);
            if (allFinite) {
                EXPECT_EQ(ends.smallest, *std::min_element(t.begin(), t.end()));
                EXPECT_EQ(ends.largest, *std::max_element(t.begin(), t.end()));
            }
        };
        for (const auto& c : scales) {
            SCOPED_TRACE(testing::Message() << c.add << " " << c.scale);
            if (c.saturated) {
                check(toSaturatedCodes, saturatedCode, c.add, c.scale);
            } else {
                check(toWrappedCodes, wrappedCode, c.add, c.scale);
            }
        }
    });
}

// Stated values that pin the float arithmetic of the builders: rounding to Q12 before the
// normalisation (sums of 4092 and 4094), the width bias, and where the tables reach 0.
TEST(Kernels, WeightTablesStatedValues) {
    const struct { int32_t sigma; float bias; std::vector<uint32_t> cornerEdgeCentreSum; } kernels[] = {
        {5, 0.0f, {46, 343, 2536, 4092}}, {5, 0.01f, {49, 351, 2494, 4094}},
        {1, 0.01f, {0, 0, 4096, 4096}},   {-5, 0.01f, {49, 351, 2494, 4094}}};
    for (const auto& k : kernels) {
        std::vector<uint32_t> table(512, 7);
        buildSmoothingKernel(table, 3, 3, k.sigma, k.bias);
        const uint32_t sum = std::accumulate(table.begin(), table.begin() + 9, 0u);
        EXPECT_EQ((std::vector<uint32_t>{table[0], table[1], table[4], sum}), k.cornerEdgeCentreSum) << k.sigma;
        EXPECT_EQ(table[9], 7u);
    }
    std::vector<uint32_t> untouched(512, 7), r5(512), r15(512), r25(512), temporal(128);
    for (auto [columns, rows] : {std::pair{0, 3}, {3, 0}, {23, 23}}) buildSmoothingKernel(untouched, columns, rows, 5);
    EXPECT_EQ(untouched, std::vector<uint32_t>(512, 7));
    buildRangeTable(r5, 5), buildRangeTable(r15, 15), buildRangeTable(r25, 25), buildTemporalWeights(temporal, 8);
    EXPECT_EQ((std::vector<uint32_t>{r5[0], r5[1], r5[5], r5[511], r15[1], r25[3], temporal[0],
                                     temporal[1], temporal[5], temporal[16] > 0, temporal[17]}),
              (std::vector<uint32_t>{4096, 4015, 2484, 0, 4087, 4067, 4096, 4016, 2454, 1, 0}));
}

}  // namespace
}  // namespace kmm
