// Float-to-code kernels. The saturation is written as selects between clamped values, which
// the compiler turns into vector compares and blends; a conversion is only applied to a value
// already inside the target's range. The extremes are kept as ordered integer keys of the
// float bits, whose minimum and maximum vectorise in the same loop where a float comparison
// (unordered for NaN, and not reassociated) would not.
#include "kernels/float_codes.h"

#include <algorithm>
#include <bit>

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

template <class Code, Code (*Convert)(float)>
FloatExtremes convert(Code* codes, const float* t, int64_t count, float add, float scale) {
    const KeyRange keys =
        add == 0.0f ? dispatchSimd<convertBody<Code, Convert, false>>(codes, t, count, add, scale)
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
