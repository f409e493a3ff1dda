// 3 x 3 row operations in 16-bit multiply-adds: each instruction multiplies a pair of
// neighbours by their weights and adds the two products into 32 bits, so the sums need no
// 32-bit multiply. AVX2 only; at other levels they do nothing.
#pragma once

#include <cstdint>

namespace kmm {

// Writes out[0..n) and returns n, or writes nothing and returns 0 (rows shorter than the
// vector width, levels below AVX2); the caller then does the row. out does not overlap the
// rows read. The row layout is gaussianRow's; corner, edge and centre are
// each at most 4096. Same bits as the 32-bit sum shifted by 12 and kept in 16 bits.
int32_t gaussianSymmetricPairs(int16_t* out, const int16_t* up, const int16_t* mid,
                               const int16_t* down, int32_t n, int16_t corner, int16_t edge,
                               int16_t centre);

// The same contract for highPassRow's interior with 0 <= limit <= 32767: the mean of the
// eight neighbours summed exactly in 32 bits, the difference saturated in 16 bits before
// the clamp (which the saturation cannot change).
int32_t highPassPairs(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                      int32_t n, int16_t limit);

// The same contract for unsharpRow at strength 1.0 (2c - m, clamped to 0..255).
int32_t unsharpUnitPairs(uint8_t* out, const uint8_t* up, const uint8_t* mid,
                         const uint8_t* down, int32_t n);

}  // namespace kmm
