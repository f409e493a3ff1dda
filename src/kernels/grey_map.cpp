// Table mappings: the re-indexing of a table, and the look-up passes.
#include "kernels/grey_map.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "common/blocks.h"
#include "kernels/conversions.h"
#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

// The look-up: a gather the compiler cannot vectorise. On a little-endian processor, four
// samples come in one 64-bit load and eight results go out in one 64-bit store, which halves
// the loads and cuts the stores to an eighth; each result is the same table entry.
void lookUp(uint8_t* dst, const int16_t* src, int64_t count, const uint8_t* byValue) {
    int64_t i = 0;
    if constexpr (std::endian::native == std::endian::little) {
        const auto sample = [](uint64_t four, int j) { return int16_t(uint16_t(four >> (16 * j))); };
        for (const auto vectorEnd = count - count % 8; i < vectorEnd; i += 8) {
            uint64_t first, second;
            std::memcpy(&first, src + i, sizeof first);
            std::memcpy(&second, src + i + 4, sizeof second);
            uint64_t packed = 0;
            for (int j = 0; j < 4; ++j) {
                packed |= uint64_t(byValue[sample(first, j)]) << (8 * j);
                packed |= uint64_t(byValue[sample(second, j)]) << (8 * (j + 4));
            }
            std::memcpy(dst + i, &packed, sizeof packed);
        }
    }
    for (; i < count; ++i) dst[i] = byValue[src[i]];
}

// The detail add over one block, in vector lanes at the thread's level.
template <bool Wrap16>
KMM_SIMD_BODY void addDetailBlock(uint8_t* __restrict dst, const int16_t* __restrict detail,
                                  int64_t count, int32_t weight) {
    for (int64_t i = 0; i < count; ++i) {
        const int32_t g = dst[i] + weight * detail[i];
        dst[i] = clampToByte(Wrap16 ? int32_t(wrapToInt16(g)) : g);
    }
}

#if KMM_SIMD_X86
// The same with AVX2 in 16-bit lanes: the wrapped sum is exact there, and the full sum of a
// weight that fits 16 bits is one multiply-add of the detail and the grey by the weight and 1.
// The saturating packs clamp to 0..255, within 128-bit halves, so one permutation restores
// the order. The count done is returned (0 for a wider weight).
template <bool Wrap16>
[[gnu::target("avx2")]] int64_t addDetailAvx2(uint8_t* dst, const int16_t* detail, int64_t count,
                                             int32_t weight) {
    if (!Wrap16 && (weight < -32768 || weight > 32767)) return 0;
    const __m256i low16 = _mm256_set1_epi16(int16_t(uint16_t(uint32_t(weight))));
    const __m256i weightAndOne = _mm256_set1_epi32(int32_t((uint32_t(weight) & 0xFFFF) | (1u << 16)));
    int64_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        const __m256i bytes = loadLanes(dst + i);
        __m256i sums[2];
        for (const int h : {0, 1}) {
            const __m256i g = _mm256_cvtepu8_epi16(h ? _mm256_extracti128_si256(bytes, 1) : _mm256_castsi256_si128(bytes));
            const __m256i d = loadLanes(detail + i + 16 * h);
            sums[h] = Wrap16 ? _mm256_add_epi16(g, _mm256_mullo_epi16(d, low16))
                             : _mm256_packs_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi16(d, g), weightAndOne),
                                                  _mm256_madd_epi16(_mm256_unpackhi_epi16(d, g), weightAndOne));
        }
        storeLanes(dst + i, _mm256_permute4x64_epi64(_mm256_packus_epi16(sums[0], sums[1]), 0xD8));
    }
    return i;
}
#endif

// The look-up alone, a gather the compiler cannot vectorise, then the detail add over the
// same block, which it can: two light passes beat one heavy one. Blocks stay in L1.
template <bool Wrap16>
void addDetail(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
               const uint8_t* byValue, int32_t weight) {
    constexpr int64_t kBlock = 4096;
    for (const auto [start, end] : blocks(count, kBlock)) {
        lookUp(dst + start, src + start, end - start, byValue);
        int64_t done = start;
#if KMM_SIMD_X86
        if (runsAvx2()) done += addDetailAvx2<Wrap16>(dst + start, detail + start, end - start, weight);
#endif
        dispatchSimd<addDetailBlock<Wrap16>>(dst + done, detail + done, end - done, weight);
    }
}

}  // namespace

const uint8_t* mapByValue(const uint8_t* byIndex, IndexMapping mapping, int32_t vMin,
                          int32_t vMax, uint8_t* scratch) {
    if (!mapping.halved && vMin + mapping.offset >= 0 && vMax + mapping.offset < kIndexCount) {
        return byIndex + mapping.offset;
    }
    uint8_t* byValue = scratch + 32768;
    buildMap(byValue, vMin, vMax, [&](int32_t v) { return byIndex[histogramIndex(v, mapping)]; });
    return byValue;
}

void applyMap(uint8_t* dst, const int16_t* src, int64_t count, const uint8_t* byValue) {
    lookUp(dst, src, count, byValue);
}

void applyMapWithDetail(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
                        const uint8_t* byValue, int32_t weight, bool wrap16) {
    if (wrap16) {
        addDetail<true>(dst, src, detail, count, byValue, weight);
    } else {
        addDetail<false>(dst, src, detail, count, byValue, weight);
    }
}

}  // namespace kmm
