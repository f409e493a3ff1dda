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

KMM_SIMD_BODY void wrappedBody(int16_t* __restrict codes, const float* __restrict t,
                               int64_t count, float add, float scale) {
    for (int64_t i = 0; i < count; ++i) {
        const float p = (t[i] + add) * scale;
        const float low = p > kInt32Min ? p : kInt32Min;  // NaN too: INT32_MIN wraps to 0
        const float inRange = low < kBelowInt32End ? low : kBelowInt32End;
        const int32_t v = low >= kInt32End ? INT32_MAX : int32_t(inRange);
        codes[i] = int16_t(uint16_t(uint32_t(v)));
    }
}

KMM_SIMD_BODY void saturatedBody(uint16_t* __restrict codes, const float* __restrict t,
                                 int64_t count, float add, float scale) {
    for (int64_t i = 0; i < count; ++i) {
        const float p = (t[i] + add) * scale;
        const float low = p > 0.0f ? p : 0.0f;  // NaN too
        // 65535.x truncates to 65535 as well, so the clamp may stop there.
        codes[i] = uint16_t(int32_t(low < 65535.0f ? low : 65535.0f));
    }
}

// Eight running maxima side by side, so the reduction vectorises; without NaN the order of
// comparisons only decides between +0 and -0.
KMM_SIMD_BODY float largestBody(const float* t, int64_t count) {
    constexpr int kLanes = 8;
    float lanes[kLanes];
    std::fill(lanes, lanes + kLanes, t[0]);
    int64_t i = 0;
    for (; i + kLanes <= count; i += kLanes) {
        for (int j = 0; j < kLanes; ++j) lanes[j] = t[i + j] > lanes[j] ? t[i + j] : lanes[j];
    }
    float largest = t[0];
    for (float v : lanes) largest = v > largest ? v : largest;
    for (; i < count; ++i) largest = t[i] > largest ? t[i] : largest;
    return largest;
}

}  // namespace

void toWrappedCodes(int16_t* codes, const float* t, int64_t count, float add, float scale) {
    dispatchSimd<wrappedBody>(codes, t, count, add, scale);
}

void toSaturatedCodes(uint16_t* codes, const float* t, int64_t count, float add, float scale) {
    dispatchSimd<saturatedBody>(codes, t, count, add, scale);
}

float largestValue(const float* t, int64_t count) {
    return dispatchSimd<largestBody>(t, count);
}

}  // namespace kmm
