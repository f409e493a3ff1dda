// Each pair of values a window apart shares one weight, so the weights are looked up once per
// pair and distance (about window / 2 look-ups a value) into rows of pair weights; the sums
// then run over whole rows in 32-bit lanes, and the quotient in double, which truncates a
// 32-bit sum over a sum below 2^16 exactly like the integer division.
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

// Adds the weights of one side of the window: pair[x] joins position x to value v[x].
KMM_SIMD_BODY void addSide(int32_t* __restrict weightSums, int32_t* __restrict valueSums,
                           const uint32_t* __restrict pair, const int16_t* __restrict v,
                           int64_t count) {
    for (int64_t x = 0; x < count; ++x) {
        weightSums[x] += int32_t(pair[x]);
        valueSums[x] += int32_t(pair[x]) * int32_t(v[x]);
    }
}

KMM_SIMD_BODY void accumulate(int32_t* __restrict differenceSums, int32_t* __restrict flatCounts,
                              const int32_t* __restrict weightSums,
                              const int32_t* __restrict valueSums,
                              const int16_t* __restrict centre, int64_t count, int32_t flatWeight,
                              int32_t clamp) {
    for (int64_t x = 0; x < count; ++x) {
        const int32_t w = weightSums[x];
        const int32_t c = centre[x];
        // w is 0 only when every weight is, and then so is the value sum: the quotient is 0.
        // The choice is made with masks: a select of the converted quotient would keep the
        // conversion behind a branch and the loop scalar.
        const auto q = int32_t(double(valueSums[x]) / double(std::max(w, 1)));
        const int32_t weighted = -int32_t(w > 0);  // all ones or zero
        const int32_t smoothed = (q & weighted) | (c & ~weighted);
        const int32_t difference = std::min(std::max(c - smoothed, -clamp), clamp);
        const int32_t flat = -int32_t(w >= flatWeight);  // all ones or zero
        differenceSums[x] += difference & flat;
        flatCounts[x] -= flat;
    }
}

struct Work {
    uint32_t* pairs;  // reach rows of length + window - 1
    int32_t* weightSums;
    int32_t* valueSums;
};

int64_t extended(int32_t length, const StripeLine& p) { return int64_t(length) + p.before + p.after; }

Work split(void* scratch, int32_t length, const StripeLine& p) {
    const int64_t reach = std::max(p.before, p.after);
    auto* pairs = static_cast<uint32_t*>(scratch);
    auto* sums = reinterpret_cast<int32_t*>(pairs + reach * extended(length, p));
    return {pairs, sums, sums + length};
}

KMM_SIMD_BODY void line(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values,
                        int32_t length, const StripeLine& p, void* scratch) {
    const Work work = split(scratch, length, p);
    const int64_t n = extended(length, p);
    const int32_t reach = std::max(p.before, p.after);
    for (int32_t d = 1; d <= reach; ++d) {
        pairWeights(work.pairs + (d - 1) * n, values, n - d, d, p.table);
    }
    const int16_t* centre = values + p.before;
    const auto self = int32_t(p.table[0]);
    for (int32_t x = 0; x < length; ++x) {
        work.weightSums[x] = self;
        work.valueSums[x] = self * int32_t(centre[x]);
    }
    for (int32_t d = 1; d <= p.after; ++d) {
        addSide(work.weightSums, work.valueSums, work.pairs + (d - 1) * n + p.before, centre + d,
                length);
    }
    for (int32_t d = 1; d <= p.before; ++d) {
        addSide(work.weightSums, work.valueSums, work.pairs + (d - 1) * n + p.before - d,
                centre - d, length);
    }
    accumulate(differenceSums, flatCounts, work.weightSums, work.valueSums, centre, length,
               p.flatWeight, p.clamp);
}

}  // namespace

size_t stripeLineScratch(int32_t length, const StripeLine& p) {
    const auto reach = size_t(std::max(p.before, p.after));
    return reach * size_t(extended(length, p)) * sizeof(uint32_t) +
           2 * size_t(length) * sizeof(int32_t);
}

void accumulateFlatDifferences(int32_t* differenceSums, int32_t* flatCounts, const int16_t* values,
                               int32_t length, const StripeLine& p, void* scratch) {
    dispatchSimd<line>(differenceSums, flatCounts, values, length, p, scratch);
}

}  // namespace kmm
