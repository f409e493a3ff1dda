// Division by a region's area in the adaptive equalisation's blend: every grey there is
// floor(numerator / area) with numerator >= 0, and a division per pixel would cost more than
// the rest of the blend together.
#pragma once

#include <cstdint>

namespace kmm {

// Regions up to this area keep every numerator (at most 255 x area) below 2^31.
constexpr int64_t kNarrowArea = (int64_t(1) << 23) - 1;

// floor(n / area) for 0 <= n < 2^31 is (n x multiplier) >> shift, with 2^(shift - 31) >= area
// and multiplier = ceil(2^shift / area), below 2^32: the product overshoots n / area by less
// than 2^31 / 2^shift <= 1 / area, too little to reach the next whole quotient.
struct Reciprocal {
    uint64_t multiplier;
    int32_t shift;
};

inline Reciprocal reciprocalOf(int64_t area) {
    int32_t shift = 31;
    while ((int64_t(1) << (shift - 31)) < area) ++shift;
    return {((uint64_t(1) << shift) + uint64_t(area) - 1) / uint64_t(area), shift};
}

// floor(n / area) for larger regions, 0 <= n < 2^53, from inverse = 1.0 / area: the double
// product errs by far less than the 1 / area that separates a fraction from the next whole
// number, so only a whole quotient can come out just below itself, and one comparison
// puts it back.
[[gnu::always_inline]] inline int64_t wideQuotient(int64_t n, double inverse, int64_t area) {
    const auto q = static_cast<int64_t>(static_cast<double>(n) * inverse);
    return q + int64_t((q + 1) * area <= n);
}

}  // namespace kmm
