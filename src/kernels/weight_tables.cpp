// The weight table builders of the neighbourhood filters, all in single precision.
#include "kernels/weight_tables.h"

#include <cmath>

#include "kernels/conversions.h"

namespace kmm {

void buildSmoothingKernel(std::span<uint32_t> table, int32_t columns, int32_t rows,
                          int32_t sigma, float widthBias) {
    if (columns <= 0 || rows <= 0 || int64_t(columns) * rows > int64_t(table.size())) return;
    // 2 s^2 / 100: sigma counts tenths of a pixel. Sigma 0 without a bias makes 0/0 at the
    // centre; the saturating conversion turns the resulting NaNs into 0.
    const float s = static_cast<float>(sigma);
    const float denominator = (s + s) * s / 100.0f + widthBias;
    float sum = 0.0f;
    std::size_t k = 0;
    for (int32_t y = -(rows - 1) / 2; y <= (rows - 1) / 2; ++y) {
        for (int32_t x = -(columns - 1) / 2; x <= (columns - 1) / 2; ++x) {
            const float w = std::exp(-static_cast<float>(x * x + y * y) / denominator);
            sum += w;
            table[k++] = saturatingTrunc<uint32_t>(w * 4096.0f + 0.5f);
        }
    }
    // The rounding to Q12 comes before the normalisation, which is why the sum falls short.
    for (std::size_t i = 0; i < k; ++i) {
        table[i] = saturatingTrunc<uint32_t>(static_cast<float>(table[i]) / sum);
    }
}

void buildRangeTable(std::span<uint32_t> table, int32_t sigma) {
    const float twoSigmaSquared = 2.0f * static_cast<float>(sigma) * static_cast<float>(sigma);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const float d = static_cast<float>(i);
        table[i] = saturatingTrunc<uint32_t>(std::exp(-(d * d) / twoSigmaSquared) * 4096.0f + 0.5f);
    }
}

void buildTemporalWeights(std::span<uint32_t> table, int32_t sigma) {
    const float s = static_cast<float>(sigma);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const float d = static_cast<float>(i);
        const float e = std::exp(-(d * d) * 0.5f / (s * s));
        const float ratio = 2.0f * e / (1.0f + e);
        table[i] = saturatingTrunc<uint32_t>(std::pow(ratio, 5.0f) * 4096.0f);
    }
}

}  // namespace kmm
