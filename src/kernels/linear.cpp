// Linear grey kernels. The per-pixel loops run in 32 bits where the gain and offset allow it,
// which the compiler vectorises; the 64-bit loop gives the same bits for everything else.
#include "kernels/linear.h"

#include <algorithm>

namespace kmm {
namespace {

// A 16-bit sample times a gain of at most 2^31 / 65536 in magnitude fits 32 bits, and the
// quotient by 1024 then lies within +-2^21: an offset beyond +-2^24 decides the clamp alone,
// so limiting it to that keeps the sum in 32 bits too.
constexpr int64_t kNarrowOffset = int64_t(1) << 24;

template <class Sample>
void stretch(uint8_t* dst, const Sample* src, int64_t count, int64_t gain, int64_t offset) {
    constexpr int64_t kNarrowGain = (int64_t(1) << 31) / (int64_t(1) << (8 * sizeof(Sample)));
    if (gain >= -kNarrowGain && gain <= kNarrowGain) {
        const auto g = int32_t(gain);
        const auto o = int32_t(std::clamp(offset, -kNarrowOffset, kNarrowOffset));
        for (int64_t i = 0; i < count; ++i) dst[i] = clampToByte(src[i] * g / 1024 + o);
        return;
    }
    for (int64_t i = 0; i < count; ++i) dst[i] = linearGrey(src[i], gain, offset);
}

// 32-bit partial sums over blocks that cannot overflow them, so the loop vectorises.
template <class Sample>
WindowSum sumStrictlyInside(const Sample* src, int64_t count, int32_t low, int32_t high) {
    constexpr int64_t kBlock = 16384;
    WindowSum total;
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t end = std::min(count, start + kBlock);
        int32_t blockSum = 0, blockCount = 0;
        for (int64_t i = start; i < end; ++i) {
            const int32_t v = src[i];
            const int32_t in = int32_t(v > low) & int32_t(v < high);
            blockSum += in * v;
            blockCount += in;
        }
        total.sum += blockSum;
        total.count += blockCount;
    }
    return total;
}

}  // namespace

int64_t gainWithKnee(int64_t numerator, int64_t range, Knee knee, int64_t limit) {
    int64_t divisor = range < knee.below ? range + knee.slope * (knee.below - range) : range;
    if (divisor == 0) divisor = 1;
    return std::min(numerator / divisor, limit);
}

void stretchLinear(uint8_t* dst, const int16_t* src, int64_t count, int64_t gain,
                   int64_t offset) {
    stretch(dst, src, count, gain, offset);
}

void stretchLinear(uint8_t* dst, const uint16_t* src, int64_t count, int64_t gain,
                   int64_t offset) {
    stretch(dst, src, count, gain, offset);
}

void mapWindowQ9(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low) {
    // Inside the window (v - low) x scale <= 130560, so the shifted value never exceeds 255.
    const int32_t scale = 130560 / (int32_t(high) - low);
    for (int64_t i = 0; i < count; ++i) {
        const int32_t v = src[i];
        dst[i] = uint8_t(v < low ? 0 : (v > high ? 255 : ((v - low) * scale) >> 9));
    }
}

WindowSum sumInside(const int16_t* src, int64_t count, int32_t low, int32_t high) {
    return sumStrictlyInside(src, count, low, high);
}

WindowSum sumInside(const uint16_t* src, int64_t count, int32_t low, int32_t high) {
    return sumStrictlyInside(src, count, low, high);
}

}  // namespace kmm
