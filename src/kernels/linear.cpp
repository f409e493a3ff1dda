// Linear grey kernels. The per-pixel loops run in the narrowest lanes the gain allows (16-bit
// products widened to 32 bits, the window in 16 bits), compiled for each instruction-set
// level; a 64-bit loop gives the same bits for everything else.
#include "kernels/linear.h"

#include <algorithm>

#include "common/blocks.h"
#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

// The quotient of a 16-bit sample times a gain below 2^16 by 1024 lies within +-2^22: an
// offset beyond +-2^24 decides the clamp alone, so limiting it to that keeps the sum in 32
// bits.
constexpr int64_t kNarrowOffset = int64_t(1) << 24;

// Signed samples, 0 <= gain < 2^15: a 16 x 16-bit product, divided toward zero.
KMM_SIMD_BODY void stretchSigned(uint8_t* __restrict dst, const int16_t* __restrict src,
                                 int64_t count, int16_t gain, int32_t offset) {
    for (int64_t i = 0; i < count; ++i) {
        dst[i] = clampToByte(int32_t(src[i]) * int32_t(gain) / 1024 + offset);
    }
}

#if KMM_SIMD_X86
// The same with AVX2 in one multiply-add a pair: each sample beside its sign bit, times the
// gain beside 1023, is the product with the bias that makes the shift round toward zero. The
// saturating packs clamp to 0..255 on the way down, within 128-bit halves, so one permutation
// restores the order.
[[gnu::target("avx2"), gnu::always_inline]] inline __m256i quotient(__m256i pairs, __m256i factors,
                                                                   __m256i add) {
    return _mm256_add_epi32(_mm256_srai_epi32(_mm256_madd_epi16(pairs, factors), 10), add);
}

[[gnu::target("avx2")]] int64_t stretchSignedAvx2(uint8_t* dst, const int16_t* src, int64_t count,
                                                 int16_t gain, int32_t offset) {
    const __m256i factors = _mm256_set1_epi32(int32_t(uint32_t(uint16_t(gain)) | (1023u << 16)));
    const __m256i add = _mm256_set1_epi32(offset);
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        __m256i words[2];
        for (const int h : {0, 1}) {
            const __m256i v = loadLanes(src + i + 16 * h);
            const __m256i sign = _mm256_srli_epi16(v, 15);
            words[h] = _mm256_packs_epi32(quotient(_mm256_unpacklo_epi16(v, sign), factors, add),
                                          quotient(_mm256_unpackhi_epi16(v, sign), factors, add));
        }
        storeLanes(dst + i, _mm256_permute4x64_epi64(_mm256_packus_epi16(words[0], words[1]), 0xD8));
    }
    return i;
}
#endif

// Unsigned samples, 0 <= gain < 2^16: the product is unsigned, so the division is a shift.
KMM_SIMD_BODY void stretchUnsigned(uint8_t* __restrict dst, const uint16_t* __restrict src,
                                   int64_t count, uint16_t gain, int32_t offset) {
    for (int64_t i = 0; i < count; ++i) {
        dst[i] = clampToByte(int32_t((uint32_t(src[i]) * uint32_t(gain)) >> 10) + offset);
    }
}

// Unsigned samples, 0 <= gain < 1024: (v x gain) >> 10 is the high half of v x (gain << 6),
// one 16-bit multiply, and the offset's add or subtract saturates in 16 bits. Only one of add
// and sub is not 0; the cap keeps q + add in 16 bits without changing a result that is 255
// either way.
KMM_SIMD_BODY void stretchUnsignedNarrow(uint8_t* __restrict dst, const uint16_t* __restrict src,
                                         int64_t count, uint16_t gain6, uint16_t add,
                                         uint16_t sub) {
    const auto cap = uint16_t(65535 - add);
    for (int64_t i = 0; i < count; ++i) {
        const auto q = uint16_t((uint32_t(src[i]) * gain6) >> 16);
        const auto t = uint16_t(std::min(q, cap) + add);
        const auto r = uint16_t(t > sub ? t - sub : 0);
        dst[i] = uint8_t(std::min<uint16_t>(r, 255));
    }
}

template <class Sample>
void stretchWide(uint8_t* dst, const Sample* src, int64_t count, int64_t gain, int64_t offset) {
    for (int64_t i = 0; i < count; ++i) dst[i] = linearGrey(src[i], gain, offset);
}

// Windows of 256 values or more: scale < 512, so ((v - low) x scale) >> 9 is the high half
// of (v - low) x (scale << 7), one unsigned 16-bit multiply. Values below the window are
// raised to its bottom; those above it, whatever their product, come out as 255 from the
// comparison's all-ones lane shifted down and joined to the grey's low byte (one shift
// instead of masking and narrowing the comparison separately).
KMM_SIMD_BODY void windowWide(uint8_t* __restrict dst, const int16_t* __restrict src,
                              int64_t count, int16_t high, int16_t low, uint16_t scale7) {
    for (int64_t i = 0; i < count; ++i) {
        const int16_t v = src[i];
        const auto d = uint16_t(std::max(v, low) - low);
        const auto g = uint16_t((uint32_t(d) * scale7) >> 16);
        const auto above = uint16_t(uint16_t(-int16_t(v > high)) >> 8);
        dst[i] = uint8_t(g | above);
    }
}

#if KMM_SIMD_X86
// The same with AVX2, the grey and the all-ones byte of the values above the window joined in
// 16 bits before one saturating pack (the compiler packs them apart and joins the bytes).
[[gnu::target("avx2")]] int64_t windowWideAvx2(uint8_t* dst, const int16_t* src, int64_t count,
                                              int16_t high, int16_t low, uint16_t scale7) {
    const __m256i top = _mm256_set1_epi16(high), bottom = _mm256_set1_epi16(low);
    const __m256i factor = _mm256_set1_epi16(int16_t(scale7));
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        __m256i greys[2];
        for (const int h : {0, 1}) {
            const __m256i v = loadLanes(src + i + 16 * h);
            // Clamped at the top too: the pack reads its words as signed.
            const __m256i inside = _mm256_min_epi16(_mm256_max_epi16(v, bottom), top);
            const __m256i g = _mm256_mulhi_epu16(_mm256_sub_epi16(inside, bottom), factor);
            greys[h] = _mm256_or_si256(g, _mm256_srli_epi16(_mm256_cmpgt_epi16(v, top), 8));
        }
        storeLanes(dst + i, _mm256_permute4x64_epi64(_mm256_packus_epi16(greys[0], greys[1]), 0xD8));
    }
    return i;
}

// With AVX-512, 32 values a step: the values above the window set to 255 under a mask, and
// the greys, all within a byte, narrowed as they are stored.
[[gnu::target("avx512bw")]] int64_t windowWideAvx512(uint8_t* dst, const int16_t* src, int64_t count,
                                                    int16_t high, int16_t low, uint16_t scale7) {
    const __m512i top = _mm512_set1_epi16(high), bottom = _mm512_set1_epi16(low);
    const __m512i factor = _mm512_set1_epi16(int16_t(scale7)), white = _mm512_set1_epi16(255);
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        const __m512i v = _mm512_loadu_si512(src + i);
        const __m512i inside = _mm512_min_epi16(_mm512_max_epi16(v, bottom), top);
        const __m512i g = _mm512_mulhi_epu16(_mm512_sub_epi16(inside, bottom), factor);
        const __m512i grey = _mm512_mask_mov_epi16(g, _mm512_cmpgt_epi16_mask(v, top), white);
        storeLanes(dst + i, _mm512_maskz_cvtepi16_epi8(~__mmask32(0), grey));
    }
    return i;
}
#endif

// Narrower windows: the product needs 17 bits.
KMM_SIMD_BODY void windowNarrow(uint8_t* __restrict dst, const int16_t* __restrict src,
                                int64_t count, int16_t high, int16_t low, uint32_t scale) {
    for (int64_t i = 0; i < count; ++i) {
        const int16_t v = src[i];
        const int16_t inside = std::min(std::max(v, low), high);
        const auto d = uint32_t(uint16_t(inside - low));
        dst[i] = uint8_t(((d * scale) >> 9) | (v > high ? 255u : 0u));
    }
}

// 32-bit partial sums over blocks that cannot overflow them, so the loop vectorises.
template <class Sample>
KMM_SIMD_BODY WindowSum sumStrictlyInside(const Sample* src, int64_t count, int32_t low,
                                          int32_t high) {
    constexpr int64_t kBlock = 16384;
    WindowSum total;
    for (const auto b : blocks(count, kBlock)) {
        int32_t blockSum = 0, blockCount = 0;
        for (int64_t i = b.start; i < b.end; ++i) {
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
    int64_t divisor = range + knee.slope * std::max<int64_t>(knee.below - range, 0);
    if (divisor == 0) divisor = 1;
    return std::min(numerator / divisor, limit);
}

void stretchLinear(uint8_t* dst, const int16_t* src, int64_t count, int64_t gain,
                   int64_t offset) {
    if (gain >= 0 && gain < 32768) {
        const auto o = int32_t(std::clamp(offset, -kNarrowOffset, kNarrowOffset));
        int64_t done = 0;
#if KMM_SIMD_X86
        if (runsAvx2()) done = stretchSignedAvx2(dst, src, count, int16_t(gain), o);
#endif
        dispatchSimd<stretchSigned>(dst + done, src + done, count - done, int16_t(gain), o);
    } else {
        stretchWide(dst, src, count, gain, offset);
    }
}

void stretchLinear(uint8_t* dst, const uint16_t* src, int64_t count, int64_t gain,
                   int64_t offset) {
    if (gain >= 0 && gain < 1024) {
        // An offset of 255 or more gives 255 everywhere, one of -65535 or less 0.
        const auto add = uint16_t(std::clamp<int64_t>(offset, 0, 255));
        const auto sub = uint16_t(std::clamp<int64_t>(-offset, 0, 65535));
        dispatchSimd<stretchUnsignedNarrow>(dst, src, count, uint16_t(gain << 6), add, sub);
    } else if (gain >= 0 && gain < 65536) {
        const auto o = int32_t(std::clamp(offset, -kNarrowOffset, kNarrowOffset));
        dispatchSimd<stretchUnsigned>(dst, src, count, uint16_t(gain), o);
    } else {
        stretchWide(dst, src, count, gain, offset);
    }
}

void mapWindowQ9(uint8_t* dst, const int16_t* src, int64_t count, int16_t high, int16_t low) {
    // Inside the window (v - low) x scale <= 130560, so the shifted value never exceeds 255.
    const int32_t scale = 130560 / (int32_t(high) - low);
    if (scale < 512) {
        int64_t done = 0;
#if KMM_SIMD_X86
        if (runsAvx512()) {
            done = windowWideAvx512(dst, src, count, high, low, uint16_t(scale << 7));
        } else if (runsAvx2()) {
            done = windowWideAvx2(dst, src, count, high, low, uint16_t(scale << 7));
        }
#endif
        dispatchSimd<windowWide>(dst + done, src + done, count - done, high, low, uint16_t(scale << 7));
    } else {
        dispatchSimd<windowNarrow>(dst, src, count, high, low, uint32_t(scale));
    }
}

WindowSum sumInside(const int16_t* src, int64_t count, int32_t low, int32_t high) {
    return dispatchSimd<sumStrictlyInside<int16_t>>(src, count, low, high);
}

WindowSum sumInside(const uint16_t* src, int64_t count, int32_t low, int32_t high) {
    return dispatchSimd<sumStrictlyInside<uint16_t>>(src, count, low, high);
}

}  // namespace kmm
