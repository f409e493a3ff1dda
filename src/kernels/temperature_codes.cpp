// The conversion is written without branches so that it vectorises: the product is clamped
// into the range a 32-bit conversion takes (NaN, failing both comparisons, to the bottom,
// whose low half is 0 like NaN's), and products at or past 2^31 take the low half of
// INT32_MAX afterwards. The extremes are kept
// as ordered integer keys of the float bits, whose minimum and maximum vectorise where a
// float comparison (NaN-aware) would not.
#include "kernels/temperature_codes.h"

#include <algorithm>
#include <cstring>

#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

constexpr float kPastInt32 = 2147483648.0f;      // 2^31
constexpr float kLastBelowInt32 = 2147483520.0f;  // the largest float below 2^31

KMM_SIMD_BODY int16_t codeOf(float t, float scale) {
    const float y = t * scale;
    float c = y > -kPastInt32 ? y : -kPastInt32;
    c = c < kLastBelowInt32 ? c : kLastBelowInt32;
    const auto low = static_cast<uint16_t>(static_cast<uint32_t>(static_cast<int32_t>(c)));
    return static_cast<int16_t>(y >= kPastInt32 ? uint16_t{0xFFFF} : low);
}

// Finite floats order like these integers: the sign-magnitude bits of a negative value
// flipped into two's complement order.
KMM_SIMD_BODY int32_t orderedKey(float t) {
    int32_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    return bits ^ ((bits >> 31) & 0x7FFFFFFF);
}

float fromKey(int32_t key) {
    const int32_t bits = key ^ ((key >> 31) & 0x7FFFFFFF);
    float t;
    std::memcpy(&t, &bits, sizeof t);
    return t;
}

struct KeyRange {
    int32_t low, high;
};

KMM_SIMD_BODY KeyRange convertWithKeys(int16_t* __restrict out, const float* __restrict in,
                                       int64_t count, float scale) {
    int32_t low = orderedKey(in[0]), high = low;
    for (int64_t i = 0; i < count; ++i) {
        out[i] = codeOf(in[i], scale);
        const int32_t key = orderedKey(in[i]);
        low = std::min(low, key);
        high = std::max(high, key);
    }
    return {low, high};
}

}  // namespace

FloatExtremes scaledCodesWithExtremes(int16_t* out, const float* in, int64_t count,
                                      float scale) {
    const KeyRange keys = dispatchSimd<convertWithKeys>(out, in, count, scale);
    return {fromKey(keys.low), fromKey(keys.high)};
}

}  // namespace kmm
