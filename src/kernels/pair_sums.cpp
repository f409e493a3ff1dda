// Pairs of neighbours interleaved and multiply-added. The Gaussian: left and right in the
// rows above and below with the corner weight, left and right in the row itself and above
// and below with the edge weight, the centre and a zero with the centre weight. The
// high-pass: the eight values of its mean in four pairs, each weight 1. The unsharp mask at
// strength 1.0: byte pairs.
#include "kernels/pair_sums.h"

#include <algorithm>

#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {

#if KMM_SIMD_X86
namespace {

// (sum >> 12) kept in 16 bits: the low half sign-extended, so the saturating pack copies it.
KMM_AVX2 __m256i shiftAndWrap(__m256i sum) {
    return _mm256_srai_epi32(_mm256_slli_epi32(_mm256_srai_epi32(sum, 12), 16), 16);
}

[[gnu::target("avx2")]] int32_t pairsAvx2(int16_t* out, const int16_t* up, const int16_t* mid,
                                         const int16_t* down, int32_t n, int16_t corner,
                                         int16_t edge, int16_t centre) {
    const __m256i wc = _mm256_set1_epi16(corner), we = _mm256_set1_epi16(edge);
    const __m256i wm = _mm256_set1_epi16(centre), zero = _mm256_setzero_si256();
    constexpr int32_t kLanes = 16;
    if (n < kLanes) return 0;
    // The last step overlaps the one before instead of leaving a tail: outputs are recomputed
    // from inputs that never change.
    for (int32_t next = 0; next < n; next += kLanes) {
        const int32_t x = std::min(next, n - kLanes);
        const struct { __m256i a, b, weight; } pairs[] = {
            {loadLanes(up + x - 1), loadLanes(up + x + 1), wc},
            {loadLanes(down + x - 1), loadLanes(down + x + 1), wc},
            {loadLanes(mid + x - 1), loadLanes(mid + x + 1), we},
            {loadLanes(up + x), loadLanes(down + x), we},
            {loadLanes(mid + x), zero, wm},
        };
        // The unpacks and the pack work within 128-bit halves, so the pack restores the order.
        __m256i lo = zero, hi = zero;
        for (const auto& [a, b, weight] : pairs) {
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), weight));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), weight));
        }
        storeLanes(out + x, _mm256_packs_epi32(shiftAndWrap(lo), shiftAndWrap(hi)));
    }
    return n;
}

[[gnu::target("avx2")]] int32_t highPassAvx2(int16_t* out, const int16_t* up,
                                            const int16_t* mid, const int16_t* down, int32_t n,
                                            int16_t limit) {
    const __m256i ones = _mm256_set1_epi16(1), zero = _mm256_setzero_si256();
    const __m256i high = _mm256_set1_epi16(limit), low = _mm256_set1_epi16(int16_t(-limit));
    constexpr int32_t kLanes = 16;
    if (n < kLanes) return 0;
    for (int32_t next = 0; next < n; next += kLanes) {  // the last step overlaps, as above
        const int32_t x = std::min(next, n - kLanes);
        const __m256i centre = loadLanes(mid + x);
        const __m256i pairs[][2] = {
            {loadLanes(up + x - 1), loadLanes(up + x + 1)},
            {loadLanes(mid + x - 1), loadLanes(mid + x + 1)},
            {loadLanes(down + x - 1), loadLanes(up + x)},
            {centre, loadLanes(down + x)},
        };
        __m256i lo = zero, hi = zero;
        for (const auto& [a, b] : pairs) {
            lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), ones));
            hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), ones));
        }
        // The mean of 16-bit values fits 16 bits, so the pack is exact.
        const __m256i mean = _mm256_packs_epi32(_mm256_srai_epi32(lo, 3), _mm256_srai_epi32(hi, 3));
        const __m256i difference = _mm256_subs_epi16(centre, mean);
        storeLanes(out + x, _mm256_min_epi16(_mm256_max_epi16(difference, low), high));
    }
    return n;
}

KMM_AVX2 __m256i load8(const uint8_t* p) {
    return loadLanes(p);
}

[[gnu::target("avx2")]] int32_t unsharpUnitAvx2(uint8_t* out, const uint8_t* up,
                                               const uint8_t* mid, const uint8_t* down,
                                               int32_t n) {
    const __m256i ones = _mm256_set1_epi8(1);
    constexpr int32_t kLanes = 32;
    if (n < kLanes) return 0;
    for (int32_t next = 0; next < n; next += kLanes) {  // the last step overlaps, as above
        const int32_t x = std::min(next, n - kLanes);
        const __m256i centre = load8(mid + x);
        // Byte pairs times 1 and added: 16-bit sums, at most 8 x 255. The centre paired with
        // itself gives 2c.
        const __m256i neighbours[][2] = {
            {load8(up + x - 1), load8(up + x + 1)},
            {load8(mid + x - 1), load8(mid + x + 1)},
            {load8(down + x - 1), load8(down + x + 1)},
            {load8(up + x), load8(down + x)},
        };
        __m256i lo = _mm256_setzero_si256(), hi = lo;
        for (const auto& [a, b] : neighbours) {
            lo = _mm256_add_epi16(lo, _mm256_maddubs_epi16(_mm256_unpacklo_epi8(a, b), ones));
            hi = _mm256_add_epi16(hi, _mm256_maddubs_epi16(_mm256_unpackhi_epi8(a, b), ones));
        }
        const __m256i twiceLo = _mm256_maddubs_epi16(_mm256_unpacklo_epi8(centre, centre), ones);
        const __m256i twiceHi = _mm256_maddubs_epi16(_mm256_unpackhi_epi8(centre, centre), ones);
        // The saturating pack is the clamp to 0..255, and restores the order as above.
        storeLanes(out + x, _mm256_packus_epi16(_mm256_sub_epi16(twiceLo, _mm256_srli_epi16(lo, 3)),
                                                _mm256_sub_epi16(twiceHi, _mm256_srli_epi16(hi, 3))));
    }
    return n;
}

}  // namespace

int32_t unsharpUnitPairs(uint8_t* out, const uint8_t* up, const uint8_t* mid,
                         const uint8_t* down, int32_t n) {
    if (!runsAvx2()) return 0;
    return unsharpUnitAvx2(out, up, mid, down, n);
}

int32_t gaussianSymmetricPairs(int16_t* out, const int16_t* up, const int16_t* mid,
                               const int16_t* down, int32_t n, int16_t corner, int16_t edge,
                               int16_t centre) {
    if (!runsAvx2()) return 0;
    return pairsAvx2(out, up, mid, down, n, corner, edge, centre);
}

int32_t highPassPairs(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                      int32_t n, int16_t limit) {
    if (!runsAvx2()) return 0;
    return highPassAvx2(out, up, mid, down, n, limit);
}

#else

int32_t gaussianSymmetricPairs(int16_t*, const int16_t*, const int16_t*, const int16_t*, int32_t,
                               int16_t, int16_t, int16_t) {
    return 0;
}

int32_t highPassPairs(int16_t*, const int16_t*, const int16_t*, const int16_t*, int32_t, int16_t) {
    return 0;
}

int32_t unsharpUnitPairs(uint8_t*, const uint8_t*, const uint8_t*, const uint8_t*, int32_t) {
    return 0;
}

#endif

}  // namespace kmm
