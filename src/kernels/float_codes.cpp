// Float-to-code kernels. The saturation is written as selects between clamped values, which
// the compiler turns into vector compares and blends; a conversion is only applied to a value
// already inside the target's range. The extremes are kept as ordered integer keys of the
// float bits, whose minimum and maximum vectorise in the same loop where a float comparison
// (unordered for NaN, and not reassociated) would not.
#include "kernels/float_codes.h"

#include <algorithm>
#include <bit>
#include <type_traits>

#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

constexpr float kInt32Min = -2147483648.0f;      // -2^31
constexpr float kInt32End = 2147483648.0f;       // 2^31, the first float past INT32_MAX
constexpr float kBelowInt32End = 2147483520.0f;  // the float just below 2^31

KMM_SIMD_BODY int16_t wrappedBySelects(float p) {
    float c = p > kInt32Min ? p : kInt32Min;  // NaN too: INT32_MIN wraps to 0
    c = c < kBelowInt32End ? c : kBelowInt32End;
    // INT32_MAX, where products at or past 2^31 saturate, keeps all ones in its low half.
    const auto low = uint16_t(uint32_t(int32_t(c)));
    return int16_t(p >= kInt32End ? uint16_t{0xFFFF} : low);
}

KMM_SIMD_BODY uint16_t saturatedBySelects(float p) {
    const float low = p > 0.0f ? p : 0.0f;  // NaN too
    // 65535.x truncates to 65535 as well, so the clamp may stop there.
    return uint16_t(int32_t(low < 65535.0f ? low : 65535.0f));
}

// Finite floats order like the integers of their bits with those of negative values (sign and
// magnitude) flipped into two's complement order. The flip keeps the sign bit, so it is its
// own inverse.
KMM_SIMD_BODY int32_t flipNegative(int32_t bits) {
    return bits ^ ((bits >> 31) & 0x7FFFFFFF);
}

KMM_SIMD_BODY int32_t orderedKey(float t) {
    return flipNegative(std::bit_cast<int32_t>(t));
}

float fromKey(int32_t key) {
    return std::bit_cast<float>(flipNegative(key));
}

struct KeyRange {
    int32_t low, high;
};

// Without an offset the addition is left out: it only turns -0 into +0, which give one code.
template <class Code, Code (*Convert)(float), bool Offset>
KMM_SIMD_BODY KeyRange convertBody(Code* __restrict codes, const float* __restrict t,
                                   int64_t count, float add, float scale) {
    int32_t low = orderedKey(t[0]), high = low;
    for (int64_t i = 0; i < count; ++i) {
        codes[i] = Convert((Offset ? t[i] + add : t[i]) * scale);
        const int32_t key = orderedKey(t[i]);
        low = std::min(low, key);
        high = std::max(high, key);
    }
    return {low, high};
}

#if KMM_SIMD_X86
// The same conversions written for AVX2, where the compiler's own blends of the selects above
// take half again as many instructions. A truncation of a value outside the 32-bit range, or
// of NaN, gives 0x80000000, whose low half is 0: the wrapped codes only need the values at or
// past 2^31 set to all ones, and the saturated ones clamp before they truncate (maxps takes
// its second operand for NaN).
KMM_AVX2 __m256i wrappedLanes(__m256 p) {
    const __m256i bits = _mm256_or_si256(
        _mm256_cvttps_epi32(p),
        _mm256_castps_si256(_mm256_cmp_ps(p, _mm256_set1_ps(kInt32End), _CMP_GE_OQ)));
    return _mm256_srai_epi32(_mm256_slli_epi32(bits, 16), 16);  // the low half, sign-extended
}

KMM_AVX2 __m256i saturatedLanes(__m256 p) {
    const __m256 clamped = _mm256_min_ps(_mm256_max_ps(p, _mm256_setzero_ps()), _mm256_set1_ps(65535.0f));
    return _mm256_cvttps_epi32(clamped);
}

template <class Code, Code (*Convert)(float), bool Offset>
[[gnu::target("avx2")]] KeyRange convertAvx2(Code* codes, const float* t, int64_t count, float add,
                                            float scale) {
    constexpr bool Saturated = std::is_same_v<Code, uint16_t>;
    const __m256 offset = _mm256_set1_ps(add), factor = _mm256_set1_ps(scale);
    const __m256i magnitude = _mm256_set1_epi32(0x7FFFFFFF);
    __m256i low = _mm256_set1_epi32(orderedKey(t[0])), high = low;
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 16; i < vectorEnd; i += 16) {
        __m256i lanes[2];
        for (const int h : {0, 1}) {
            const __m256 v = _mm256_loadu_ps(t + i + 8 * h);
            const __m256 p = _mm256_mul_ps(Offset ? _mm256_add_ps(v, offset) : v, factor);
            lanes[h] = Saturated ? saturatedLanes(p) : wrappedLanes(p);
            const __m256i bits = _mm256_castps_si256(v);
            const __m256i key = _mm256_xor_si256(bits, _mm256_and_si256(_mm256_srai_epi32(bits, 31), magnitude));
            low = _mm256_min_epi32(low, key);
            high = _mm256_max_epi32(high, key);
        }
        // The packs work within 128-bit halves; the permutation puts the quarters in order.
        const __m256i packed = Saturated ? _mm256_packus_epi32(lanes[0], lanes[1])
                                         : _mm256_packs_epi32(lanes[0], lanes[1]);
        storeLanes(codes + i, _mm256_permute4x64_epi64(packed, 0xD8));
    }
    int32_t lows[8], highs[8];
    storeLanes(lows, low);
    storeLanes(highs, high);
    KeyRange keys{*std::min_element(std::begin(lows), std::end(lows)),
                  *std::max_element(std::begin(highs), std::end(highs))};
    if (i < count) {
        const KeyRange rest = convertBody<Code, Convert, Offset>(codes + i, t + i, count - i, add, scale);
        keys = {std::min(keys.low, rest.low), std::max(keys.high, rest.high)};
    }
    return keys;
}
#endif

template <class Code, Code (*Convert)(float)>
FloatExtremes convert(Code* codes, const float* t, int64_t count, float add, float scale) {
    KeyRange keys;
#if KMM_SIMD_X86
    if (runsAvx2()) {
        keys = add == 0.0f ? convertAvx2<Code, Convert, false>(codes, t, count, add, scale)
                           : convertAvx2<Code, Convert, true>(codes, t, count, add, scale);
        return {fromKey(keys.low), fromKey(keys.high)};
    }
#endif
    keys = add == 0.0f ? dispatchSimd<convertBody<Code, Convert, false>>(codes, t, count, add, scale)
                       : dispatchSimd<convertBody<Code, Convert, true>>(codes, t, count, add, scale);
    return {fromKey(keys.low), fromKey(keys.high)};
}

}  // namespace

FloatExtremes toWrappedCodes(int16_t* codes, const float* t, int64_t count, float add,
                             float scale) {
    return convert<int16_t, wrappedBySelects>(codes, t, count, add, scale);
}

FloatExtremes toSaturatedCodes(uint16_t* codes, const float* t, int64_t count, float add,
                               float scale) {
    return convert<uint16_t, saturatedBySelects>(codes, t, count, add, scale);
}

}  // namespace kmm
