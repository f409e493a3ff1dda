// The pipeline's fast kernels against plain per-value references, at every instruction-set
// level, on random lines of odd lengths with canaries around every output.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "guarded_buffer.h"
#include "kernels/conversions.h"
#include "kernels/simd_level.h"
#include "kernels/stripe_line.h"
#include "kernels/temperature_codes.h"
#include "kernels/weight_tables.h"
#include "random.h"

namespace kmm {
namespace {

constexpr int32_t kLengths[] = {1, 3, 17, 641};

template <class Body>
void atEveryLevel(Body&& body) {
    for (const SimdLevel level : supportedSimdLevels()) {
        const ScopedSimdLevel scope(level);
        SCOPED_TRACE(simdLevelName(level));
        body();
    }
}

TEST(PipelineKernels, CodesMatchTheSaturatingConversionAndFindTheExtremes) {
    constexpr float kInf = std::numeric_limits<float>::infinity();
    // Around the 16-bit wrap, the 32-bit ends, signed zeros, non-finite values.
    const std::vector<float> edges = {1638.35f, 1638.4f, -1638.4f, -1638.45f, 107374180.0f,
                                      -107374190.0f, 1e30f, -1e30f, -0.0f, 0.0f, 0.04999f,
                                      -0.05001f, kInf, -kInf, std::nanf("")};
    scenes::SplitMix64 rng(7);
    atEveryLevel([&] {
        for (const int32_t n : kLengths) {
            std::vector<float> t(static_cast<size_t>(n));
            for (auto& v : t) v = float(rng.uniform() * 4000.0 - 2000.0);
            for (size_t i = 0; i < t.size(); i += 3) t[i] = edges[rng.next() % edges.size()];
            for (const float scale : {20.0f, 100.0f}) {
                GuardedBuffer<int16_t> plain(t.size()), ranged(t.size());
                scaledCodes(plain.data(), t.data(), n, scale);
                std::vector<float> finite(t);
                for (auto& v : finite) v = std::isfinite(v) ? v : 1.0f;
                const FloatExtremes ends = scaledCodesWithExtremes(ranged.data(), finite.data(), n, scale);
                for (size_t i = 0; i < t.size(); ++i) {
                    ASSERT_EQ(plain[i], wrapToInt16(saturatingTrunc<int32_t>(t[i] * scale))) << t[i];
                    ASSERT_EQ(ranged[i], wrapToInt16(saturatingTrunc<int32_t>(finite[i] * scale)));
                }
                EXPECT_EQ(ends.smallest, *std::min_element(finite.begin(), finite.end()));
                EXPECT_EQ(ends.largest, *std::max_element(finite.begin(), finite.end()));
            }
        }
    });
}

TEST(PipelineKernels, StripeLineMatchesTheDirectWindowSums) {
    std::vector<uint32_t> table(512);
    buildRangeTable(table, 25);
    scenes::SplitMix64 rng(11);
    atEveryLevel([&] {
        for (const int32_t n : kLengths) {
            for (int32_t window = 1; window <= 11; ++window) {
                const int32_t before = window / 2, after = window - 1 - before;
                // A noisy flat band, with a few steps that fall out of it.
                std::vector<int16_t> line(size_t(n + window - 1));
                const auto base = int32_t(rng.next() % 60000) - 30000;
                for (auto& v : line) v = int16_t(base + int32_t(rng.next() % 12) + (rng.next() % 9 == 0 ? 300 : 0));
                const StripeLine p{table.data(), before, after,
                                   int32_t(rng.next() % 40000), int32_t(rng.next() % 30)};
                std::vector<int32_t> sums(static_cast<size_t>(n)), counts(static_cast<size_t>(n));
                for (auto& v : sums) v = int32_t(rng.next() % 1000);
                GuardedBuffer<int32_t> fastSums(sums.size()), fastCounts(counts.size());
                std::copy(sums.begin(), sums.end(), fastSums.data());
                std::copy(counts.begin(), counts.end(), fastCounts.data());
                GuardedBuffer<std::byte> scratch(stripeLineScratch(n, p) + 4);
                auto* aligned = scratch.data() + (4 - reinterpret_cast<uintptr_t>(scratch.data()) % 4) % 4;
                accumulateFlatDifferences(fastSums.data(), fastCounts.data(), line.data(), n, p, aligned);
                for (int32_t x = 0; x < n; ++x) {
                    const int32_t c = line[size_t(x + before)];
                    int64_t w = 0, v = 0;
                    for (int32_t k = 0; k < window; ++k) {
                        const int32_t value = line[size_t(x + k)];
                        const uint32_t weight = table[size_t(std::min(std::abs(c - value), 511))];
                        w += weight;
                        v += int64_t(weight) * value;
                    }
                    if (w >= p.flatWeight) {
                        sums[size_t(x)] += int32_t(std::clamp<int64_t>(c - (w > 0 ? v / w : c), -p.clamp, p.clamp));
                        ++counts[size_t(x)];
                    }
                }
                ASSERT_EQ(fastSums.contents(), sums) << n << " " << window;
                ASSERT_EQ(fastCounts.contents(), counts);
            }
        }
    });
}

}  // namespace
}  // namespace kmm
