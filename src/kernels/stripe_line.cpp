// Each pair of values a window apart shares one weight, so the weights are looked up once per
// pair and distance (about window / 2 look-ups a value) into rows of pair weights. The window
// sums then run in 32-bit lanes with the window's shape known at compile time, so they stay in
// registers, and the quotient in double, which truncates a 32-bit sum over a sum below 2^16
// exactly like the integer division.
//
// With AVX2 and a table that ends before 127 (the stripe table's does, near 107), the pairs are
// kept in 16 bits instead: the weight, looked up 32 at a time by byte shuffles, and the
// difference limited to +-127, past which every weight is 0. A position's weighted difference
// sum D = sum of w (c - v) then stays below 2^23, so single precision holds it exactly, and
// c - trunc(V / W) with V = c W - D is ceil(D / W) where V >= 0 and floor(D / W) where V < 0,
// found from the nearest whole number to an approximate quotient and one exact comparison.
#include "kernels/stripe_line.h"

#include <algorithm>
#include <cstdlib>

#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

KMM_SIMD_BODY void pairWeights(uint32_t* __restrict pair, const int16_t* __restrict line,
                               int64_t count, int32_t distance, const uint32_t* __restrict table) {
    for (int64_t i = 0; i < count; ++i) {
        const int32_t d = std::abs(int32_t(line[i]) - int32_t(line[i + distance]));
        pair[i] = table[std::min(d, 511)];
    }
}

// pairs holds a row of pair weights for each distance 1..max(Before, After), n apart; centre
// is the line's first value (Before values follow the ones ahead of it).
template <int Before, int After>
KMM_SIMD_BODY void windowPass(int32_t* __restrict differenceSums, int32_t* __restrict flatCounts,
                              const uint32_t* __restrict pairs, int64_t n,
                              const int16_t* __restrict centre, int32_t length, int32_t self,
                              int32_t flatWeight, int32_t clamp) {
    for (int32_t x = 0; x < length; ++x) {
        const int32_t c = centre[x];
        int32_t w = self, v = self * c;
        for (int d = 1; d <= After; ++d) {  // the pair of x and x + d
            const auto weight = int32_t(pairs[(d - 1) * n + Before + x]);
            w += weight;
            v += weight * int32_t(centre[x + d]);
        }
        for (int d = 1; d <= Before; ++d) {  // the pair of x - d and x
            const auto weight = int32_t(pairs[(d - 1) * n + Before - d + x]);
            w += weight;
            v += weight * int32_t(centre[x - d]);
        }
        // w is 0 only when every weight is, and then so is the value sum: the quotient is 0.
        // The choice is made with masks: a select of the converted quotient would keep the
        // conversion behind a branch and the loop scalar.
        const auto q = int32_t(double(v) / double(std::max(w, 1)));
        const int32_t weighted = -int32_t(w > 0);  // all ones or zero
        const int32_t smoothed = (q & weighted) | (c & ~weighted);
        const int32_t difference = std::min(std::max(c - smoothed, -clamp), clamp);
        const int32_t flat = -int32_t(w >= flatWeight);  // all ones or zero
        differenceSums[x] += difference & flat;
        flatCounts[x] -= flat;
    }
}

int64_t extended(int32_t length, const StripeLine& p) {
    return int64_t(length) + p.before + p.after;
}

#if KMM_SIMD_X86
// The byte tables as shuffle operands, both 128-bit halves alike, the high blocks ending no
// later than the low ones.
struct ShuffleTables {
    __m256i low[8], high[8];
    int32_t lowBlocks, highBlocks;
};

KMM_AVX2 ShuffleTables shuffleTables(const StripeByteTables& t) {
    ShuffleTables s{{}, {}, t.lowBlocks, t.highBlocks};
    for (int32_t k = 0; k < 8; ++k) {
        s.low[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.low[k])));
        s.high[k] = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(t.high[k])));
    }
    return s;
}

// The weights of 32 byte greys, low and high bytes: the blocks up to the grey's own,
// exclusive-ored. A grey below a block's start wraps to 128 or more, which a shuffle reads as 0.
KMM_AVX2 void lookUp(__m256i& low, __m256i& high, const ShuffleTables& t, __m256i greys) {
    low = high = _mm256_setzero_si256();
#pragma GCC unroll 8
    for (int32_t k = 0; k < 8; ++k) {
        if (k >= t.lowBlocks) break;
        const __m256i at = _mm256_sub_epi8(greys, _mm256_set1_epi8(char(16 * k)));
        low = _mm256_xor_si256(low, _mm256_shuffle_epi8(t.low[k], at));
        if (k < t.highBlocks) high = _mm256_xor_si256(high, _mm256_shuffle_epi8(t.high[k], at));
    }
}

// For the pairs i, i + distance (i < count): the weight and the difference line[i] -
// line[i + distance] limited to +-127.
[[gnu::target("avx2")]] void shortPairs(int16_t* weights, int16_t* differences, const int16_t* line,
                                       int64_t count, int32_t distance, const StripeByteTables& t,
                                       const uint32_t* table) {
    const __m256i limit = _mm256_set1_epi16(127), lowest = _mm256_set1_epi16(-127);
    const ShuffleTables shuffles = shuffleTables(t);
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        __m256i e[2];
        for (const int h : {0, 1}) {
            const __m256i d = _mm256_subs_epi16(loadLanes(line + i + 16 * h),
                                                loadLanes(line + i + 16 * h + distance));
            e[h] = _mm256_max_epi16(_mm256_min_epi16(d, limit), lowest);
            storeLanes(differences + i + 16 * h, e[h]);
        }
        // The pack and unpacks work within 128-bit halves, so the unpacks restore the order.
        const __m256i greys = _mm256_packus_epi16(_mm256_abs_epi16(e[0]), _mm256_abs_epi16(e[1]));
        __m256i low, high;
        lookUp(low, high, shuffles, greys);
        storeLanes(weights + i, _mm256_unpacklo_epi8(low, high));
        storeLanes(weights + i + 16, _mm256_unpackhi_epi8(low, high));
    }
    for (; i < count; ++i) {
        const int32_t d = std::clamp(int32_t(line[i]) - int32_t(line[i + distance]), -127, 127);
        differences[i] = int16_t(d);
        weights[i] = int16_t(table[std::abs(d)]);
    }
}

// Positions 0..length of the line whose first value is centre, from the pair rows: 16 at a
// time, the rest one by one.
template <int Before, int After>
[[gnu::target("avx2")]] void shortWindowPass(int32_t* differenceSums, int32_t* flatCounts,
                                             const int16_t* weights, const int16_t* differences,
                                             int64_t n, const int16_t* centre, int32_t length,
                                             const StripeLine& p) {
    constexpr int kRows = std::max(Before, After);
    const int32_t self = int32_t(p.table[0]);
    const __m256i zero = _mm256_setzero_si256(), one = _mm256_set1_epi32(1);
    const __m256i below = _mm256_set1_epi32(p.flatWeight - 1);
    const __m256 clamp = _mm256_set1_ps(float(p.clamp)), lowest = _mm256_set1_ps(-float(p.clamp));
    const __m256 unit = _mm256_set1_ps(1.0f);
    int32_t x = 0;
    for (const auto vectorEnd = length - length % 16; x < vectorEnd; x += 16) {
        __m256i w = _mm256_set1_epi16(int16_t(self));
        __m256i sums[] = {zero, zero};
        for (int d = 1; d <= kRows; ++d) {  // pairs x, x + d and x - d, x
            const int16_t* rowW = weights + (d - 1) * n + Before + x;
            const int16_t* rowE = differences + (d - 1) * n + Before + x;
            const __m256i wf = d <= After ? loadLanes(rowW) : zero;
            const __m256i ef = d <= After ? loadLanes(rowE) : zero;
            const __m256i wb = d <= Before ? loadLanes(rowW - d) : zero;
            const __m256i eb = d <= Before ? _mm256_sub_epi16(zero, loadLanes(rowE - d)) : zero;
            w = _mm256_add_epi16(w, _mm256_add_epi16(wf, wb));  // at most 11 x 4096: no wrap
            sums[0] = _mm256_add_epi32(sums[0], _mm256_madd_epi16(_mm256_unpacklo_epi16(wf, wb), _mm256_unpacklo_epi16(ef, eb)));
            sums[1] = _mm256_add_epi32(sums[1], _mm256_madd_epi16(_mm256_unpackhi_epi16(wf, wb), _mm256_unpackhi_epi16(ef, eb)));
        }
        const __m256i c = loadLanes(centre + x);
        const __m256i weightSums[] = {_mm256_unpacklo_epi16(w, zero), _mm256_unpackhi_epi16(w, zero)};
        const __m256i values[] = {_mm256_srai_epi32(_mm256_unpacklo_epi16(c, c), 16),
                                  _mm256_srai_epi32(_mm256_unpackhi_epi16(c, c), 16)};
        __m256i kept[2], flat[2];
        for (const int h : {0, 1}) {
            // Any estimate of D / W within a half picks the nearest whole number n; D against
            // n W, both exact in single precision, then says on which side of n it lies.
            const __m256 d = _mm256_cvtepi32_ps(sums[h]);
            const __m256 weight = _mm256_cvtepi32_ps(_mm256_max_epi32(weightSums[h], one));
            const __m256 n = _mm256_round_ps(_mm256_mul_ps(d, _mm256_rcp_ps(weight)),
                                             _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
            const __m256 nw = _mm256_mul_ps(n, weight);
            const __m256 up = _mm256_add_ps(n, _mm256_and_ps(_mm256_cmp_ps(d, nw, _CMP_GT_OQ), unit));
            const __m256 down = _mm256_sub_ps(n, _mm256_and_ps(_mm256_cmp_ps(d, nw, _CMP_LT_OQ), unit));
            const __m256 nonNegative = _mm256_cmp_ps(_mm256_cvtepi32_ps(values[h]), up, _CMP_GE_OQ);  // V >= 0
            const __m256 difference = _mm256_min_ps(_mm256_max_ps(_mm256_blendv_ps(down, up, nonNegative), lowest), clamp);
            flat[h] = _mm256_cmpgt_epi32(weightSums[h], below);
            kept[h] = _mm256_and_si256(_mm256_cvttps_epi32(difference), flat[h]);
        }
        const __m256i kept16 = _mm256_packs_epi32(kept[0], kept[1]);  // within +-126
        const __m256i flat16 = _mm256_packs_epi32(flat[0], flat[1]);
        for (const int h : {0, 1}) {
            int32_t* sum = differenceSums + x + 8 * h;
            int32_t* count = flatCounts + x + 8 * h;
            const __m128i k = h ? _mm256_extracti128_si256(kept16, 1) : _mm256_castsi256_si128(kept16);
            const __m128i f = h ? _mm256_extracti128_si256(flat16, 1) : _mm256_castsi256_si128(flat16);
            storeLanes(sum, _mm256_add_epi32(loadLanes(sum), _mm256_cvtepi16_epi32(k)));
            storeLanes(count, _mm256_sub_epi32(loadLanes(count), _mm256_cvtepi16_epi32(f)));
        }
    }
    for (; x < length; ++x) {
        int64_t w = self, sum = 0;
        for (int d = 1; d <= kRows; ++d) {
            const int64_t at = (d - 1) * n + Before + x;
            if (d <= After) {
                w += weights[at];
                sum += int64_t(weights[at]) * differences[at];
            }
            if (d <= Before) {
                w += weights[at - d];
                sum -= int64_t(weights[at - d]) * differences[at - d];
            }
        }
        const int64_t c = centre[x];
        const int64_t smoothed = w > 0 ? (c * w - sum) / w : c;
        if (w >= p.flatWeight) {
            differenceSums[x] += int32_t(std::clamp<int64_t>(c - smoothed, -p.clamp, p.clamp));
            ++flatCounts[x];
        }
    }
}

template <int Before, int After>
void shortLine(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values, int32_t length,
               const StripeLine& p, int16_t* pairs) {
    constexpr int kRows = std::max(Before, After);
    const int64_t n = extended(length, p);
    int16_t* weights = pairs;
    int16_t* differences = pairs + kRows * n;
    for (int32_t d = 1; d <= kRows; ++d) {
        shortPairs(weights + (d - 1) * n, differences + (d - 1) * n, values, n - d, d, *p.bytes, p.table);
    }
    shortWindowPass<Before, After>(differenceSums, flatCounts, weights, differences, n,
                                   values + Before, length, p);
}
#endif

template <int Before, int After>
KMM_SIMD_BODY void line(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values,
                        int32_t length, const StripeLine& p, uint32_t* pairs) {
    const int64_t n = extended(length, p);
    for (int32_t d = 1; d <= std::max(Before, After); ++d) {
        pairWeights(pairs + (d - 1) * n, values, n - d, d, p.table);
    }
    windowPass<Before, After>(differenceSums, flatCounts, pairs, n, values + Before, length,
                              int32_t(p.table[0]), p.flatWeight, p.clamp);
}

template <int Window>
void lineOf(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values, int32_t length,
            const StripeLine& p, uint32_t* pairs) {
    constexpr int kBefore = Window / 2, kAfter = Window - 1 - kBefore;
#if KMM_SIMD_X86
    if (p.bytes && p.bytes->usable && runsAvx2()) {
        return shortLine<kBefore, kAfter>(differenceSums, flatCounts, values, length, p,
                                          reinterpret_cast<int16_t*>(pairs));
    }
#endif
    dispatchSimd<line<kBefore, kAfter>>(differenceSums, flatCounts, values, length, p, pairs);
}

}  // namespace

StripeByteTables stripeByteTables(const uint32_t* table) {
    StripeByteTables t;
    // Weights are at most 4096 (StripeLine::table), so only where they end decides.
    t.usable = std::all_of(table + 127, table + 512, [](uint32_t w) { return w == 0; });
    if (!t.usable) return t;
    for (int32_t k = 0; k < 8; ++k) {
        for (int32_t j = 0; j < 16; ++j) {
            const uint32_t w = table[16 * k + j], before = k > 0 ? table[16 * (k - 1) + j] : 0;
            t.low[k][j] = uint8_t((w ^ before) & 0xFF);
            t.high[k][j] = uint8_t((w ^ before) >> 8);
            if (t.low[k][j] != 0 || t.high[k][j] != 0) t.lowBlocks = k + 1;
            if (t.high[k][j] != 0) t.highBlocks = k + 1;
        }
    }
    return t;
}

size_t stripeLineScratch(int32_t length, const StripeLine& p) {
    return size_t(std::max(p.before, p.after)) * size_t(extended(length, p)) * sizeof(uint32_t);
}

void accumulateFlatDifferences(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values,
                               int32_t length, const StripeLine& p, void* scratch) {
    auto* pairs = static_cast<uint32_t*>(scratch);
    switch (p.before + 1 + p.after) {
        case 1: lineOf<1>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 2: lineOf<2>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 3: lineOf<3>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 4: lineOf<4>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 5: lineOf<5>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 6: lineOf<6>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 7: lineOf<7>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 8: lineOf<8>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 9: lineOf<9>(differenceSums, flatCounts, values, length, p, pairs); break;
        case 10: lineOf<10>(differenceSums, flatCounts, values, length, p, pairs); break;
        default: lineOf<11>(differenceSums, flatCounts, values, length, p, pairs); break;
    }
}

}  // namespace kmm
