// The line pass of stripe removal: along one line, the range-weighted 1-D mean of each value,
// and for the values whose neighbourhood is flat enough, the clamped difference from it added
// to that position's sums.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kmm {

// The range weights split into low and high bytes, sixteen greys a block, each block the
// exclusive or of its weights with the block before: a byte shuffle per block then looks up
// 32 weights at once. Only a table whose weights are all 0 from index 127 on can be split.
struct StripeByteTables {
    alignas(16) uint8_t low[8][16], high[8][16];
    int32_t lowBlocks = 0, highBlocks = 0;  // blocks past these are all zero; high <= low
    bool usable = false;
};

StripeByteTables stripeByteTables(const uint32_t* table);

struct StripeLine {
    const uint32_t* table;  // 512 range weights, each at most 4096
    int32_t before, after;  // window / 2 and window - 1 - before, the window at most 11
    int32_t flatWeight;     // a position counts when its weight sum reaches this
    int32_t clamp;          // differences limited to +-clamp (0..65535)
    const StripeByteTables* bytes = nullptr;  // the table split, for the byte-shuffle pass
};

// Work memory of one line of length values.
size_t stripeLineScratch(int32_t length, const StripeLine& p);

// line holds p.before values ahead of the length values and p.after behind them (the
// repeated edges). Position x with weight sum W = sum of table[min(|c - v|, 511)] over its
// window (c its value) and value sum V = sum of weight x v counts when W >= p.flatWeight:
// differenceSums[x] += clamp(c - trunc(V / W), +-p.clamp) (c itself for W = 0) and
// ++flatCounts[x]. scratch holds stripeLineScratch(length, p) bytes, aligned for uint32_t.
void accumulateFlatDifferences(int32_t* differenceSums, int32_t* flatCounts, const int16_t* line,
                               int32_t length, const StripeLine& p, void* scratch);

}  // namespace kmm
