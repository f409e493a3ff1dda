// Table mappings: the re-indexing of a table, and the look-up passes.
#include "kernels/grey_map.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "kernels/conversions.h"
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
        for (; i + 8 <= count; i += 8) {
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

// The look-up alone, a gather the compiler cannot vectorise, then the detail add over the
// same block, which it can: two light passes beat one heavy one. Blocks stay in L1.
template <bool Wrap16>
void addDetail(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
               const uint8_t* byValue, int32_t weight) {
    constexpr int64_t kBlock = 4096;
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t end = std::min(count, start + kBlock);
        lookUp(dst + start, src + start, end - start, byValue);
        dispatchSimd<addDetailBlock<Wrap16>>(dst + start, detail + start, end - start, weight);
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
