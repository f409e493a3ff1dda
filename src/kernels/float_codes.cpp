// Float-to-code kernels. The saturation is written as selects between clamped values, which
// the compiler turns into vector compares and blends; a conversion is only applied to a value
// already inside the target's range.
#include "kernels/float_codes.h"

#include <algorithm>

#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

constexpr float kInt32Min = -2147483648.0f;  // -2^31
constexpr float kInt32End = 2147483648.0f;   // 2^31, the first float past INT32_MAX
constexpr float kBelowInt32End = 2147483520.0f;  // the float just below 2^31

// The largest value in eight running maxima side by side, so the reduction vectorises:
// without NaN the order of comparisons only decides between +0 and -0.
constexpr int kLanes = 8;

KMM_SIMD_BODY void takeLargest(float* __restrict lanes, const float* __restrict t, int64_t count) {
    for (int64_t i = 0; i + kLanes <= count; i += kLanes) {
        for (int j = 0; j < kLanes; ++j) lanes[j] = t[i + j] > lanes[j] ? t[i + j] : lanes[j];
    }
    for (int64_t i = count / kLanes * kLanes; i < count; ++i) {
        lanes[0] = t[i] > lanes[0] ? t[i] : lanes[0];
    }
}

KMM_SIMD_BODY int16_t wrappedBySelects(float t, float add, float scale) {
    const float p = (t + add) * scale;
    const float low = p > kInt32Min ? p : kInt32Min;  // NaN too: INT32_MIN wraps to 0
    const float inRange = low < kBelowInt32End ? low : kBelowInt32End;
    const int32_t v = low >= kInt32End ? INT32_MAX : int32_t(inRange);
    return int16_t(uint16_t(uint32_t(v)));
}

KMM_SIMD_BODY uint16_t saturatedBySelects(float t, float add, float scale) {
    const float p = (t + add) * scale;
    const float low = p > 0.0f ? p : 0.0f;  // NaN too
    // 65535.x truncates to 65535 as well, so the clamp may stop there.
    return uint16_t(int32_t(low < 65535.0f ? low : 65535.0f));
}

// Two simple loops over each block, which stays in the first-level cache for the second.
template <class Code, Code (*Convert)(float, float, float)>
KMM_SIMD_BODY float convertBody(Code* __restrict codes, const float* __restrict t,
                                int64_t count, float add, float scale) {
    constexpr int64_t kBlock = 2048;
    float lanes[kLanes];
    std::fill(lanes, lanes + kLanes, t[0]);
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t n = std::min(kBlock, count - start);
        for (int64_t i = 0; i < n; ++i) codes[start + i] = Convert(t[start + i], add, scale);
        takeLargest(lanes, t + start, n);
    }
    float largest = t[0];
    for (float v : lanes) largest = v > largest ? v : largest;
    return largest;
}

}  // namespace

float toWrappedCodes(int16_t* codes, const float* t, int64_t count, float add, float scale) {
    return dispatchSimd<convertBody<int16_t, wrappedBySelects>>(codes, t, count, add, scale);
}

float toSaturatedCodes(uint16_t* codes, const float* t, int64_t count, float add, float scale) {
    return dispatchSimd<convertBody<uint16_t, saturatedBySelects>>(codes, t, count, add, scale);
}

}  // namespace kmm
