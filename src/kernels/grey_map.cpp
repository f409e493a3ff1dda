// Table mappings: the re-indexing of a table, and the look-up passes.
#include "kernels/grey_map.h"

#include <algorithm>

#include "kernels/conversions.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

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
        for (int64_t i = start; i < end; ++i) dst[i] = byValue[src[i]];
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
    for (int64_t i = 0; i < count; ++i) dst[i] = byValue[src[i]];
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
