// Weight tables of the neighbourhood filters, all built in single precision: the Gaussian
// kernel (Q12, sigma in tenths of a pixel), the range weight table (Q12, by the difference of
// two frame values) and the temporal filter's weights (Q12, by the motion measure).
#pragma once

#include <cstdint>
#include <span>

namespace kmm {

// Fills columns x rows entries, row-major, of a Gaussian exp(-(x^2 + y^2) / d) with
// d = 2 sigma^2 / 100 + widthBias. Each entry is rounded to Q12 first and then divided by
// the float sum of the unscaled weights, so the entries add up to a little less than 4096
// (4092 for 3 x 3, sigma 5; 4094 with the bias 0.01 that keeps d above 0 for any sigma).
// A kernel that does not fit the table, or a size <= 0, leaves the table untouched; sigma 0
// without a bias gives 0 everywhere.
void buildSmoothingKernel(std::span<uint32_t> table, int32_t columns, int32_t rows,
                          int32_t sigma, float widthBias = 0.0f);

// Entry i = exp(-i^2 / (2 sigma^2)) in Q12, rounded; sigma 0 gives 0 everywhere.
void buildRangeTable(std::span<uint32_t> table, int32_t sigma);

// Entry i = ((2e / (1 + e))^5) in Q12, e = exp(-i^2 / (2 sigma^2)): flat for still pixels,
// falling to 0 once the motion clearly exceeds sigma.
void buildTemporalWeights(std::span<uint32_t> table, int32_t sigma);

}  // namespace kmm
