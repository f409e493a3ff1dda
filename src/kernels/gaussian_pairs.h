// The symmetric 3 x 3 Gaussian in 16-bit multiply-adds: each instruction multiplies a pair of
// neighbours by their weights and adds the two products into 32 bits, so nine terms take
// five of them and no 32-bit multiply. AVX2 only; at other levels it does nothing.
#pragma once

#include <cstdint>

namespace kmm {

// Writes out[0..m) for the largest m <= n that is a multiple of the vector width and returns
// m; the caller does the rest. The row layout is gaussianRow's; corner, edge and centre are
// each at most 4096. Same bits as the 32-bit sum shifted by 12 and kept in 16 bits.
int32_t gaussianSymmetricPairs(int16_t* out, const int16_t* up, const int16_t* mid,
                               const int16_t* down, int32_t n, int16_t corner, int16_t edge,
                               int16_t centre);

}  // namespace kmm
