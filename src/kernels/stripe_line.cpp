// Each pair of values a window apart shares one weight, so the weights are looked up once per
// pair and distance (about window / 2 look-ups a value) into rows of pair weights. The window
// sums then run in 32-bit lanes with the window's shape known at compile time, so they stay in
// registers, and the quotient in double, which truncates a 32-bit sum over a sum below 2^16
// exactly like the integer division.
#include "kernels/stripe_line.h"

#include <algorithm>
#include <cstdlib>

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
    dispatchSimd<line<kBefore, kAfter>>(differenceSums, flatCounts, values, length, p, pairs);
}

}  // namespace

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
