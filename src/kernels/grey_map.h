// Table mappings of 16-bit frames: a grey for every index or value of the occupied range
// (build), then one look-up a pixel (apply). A table "by value" is addressed with the signed
// sample itself: it points at the entry of value 0 in a 65,536-entry table.
#pragma once

#include <cstdint>

#include "kernels/histogram.h"

namespace kmm {

// table[k] = greyOf(k) for k = first..last; the rest of the table is left as it is.
template <class GreyOf>
void buildMap(uint8_t* table, int32_t first, int32_t last, GreyOf&& greyOf) {
    for (int32_t k = first; k <= last; ++k) table[k] = greyOf(k);
}

// A table built by index (histogramIndex(v, mapping)) as a table by value for the samples
// vMin..vMax: the table itself, shifted, where the index is v + offset throughout; otherwise
// re-indexed into scratch (65,536 bytes).
const uint8_t* mapByValue(const uint8_t* byIndex, IndexMapping mapping, int32_t vMin,
                          int32_t vMax, uint8_t* scratch);

// dst[i] = byValue[src[i]].
void applyMap(uint8_t* dst, const int16_t* src, int64_t count, const uint8_t* byValue);

// dst[i] = clamp(byValue[src[i]] + weight x detail[i]); with wrap16 the sum is first kept in
// 16 bits, as a 16-bit fixed-point design keeps it.
void applyMapWithDetail(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
                        const uint8_t* byValue, int32_t weight, bool wrap16);

}  // namespace kmm
