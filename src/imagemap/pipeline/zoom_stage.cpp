// The zoom stage: the 8-bit image enlarged by a float factor, nearest or bilinear. Source
// coordinates come from one float product per row and column, so each row's weights are
// worked out once.
#include <algorithm>
#include <vector>

#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

// The source position of each of n outputs: its integer part (never past the last of
// `side`, which float rounding could otherwise reach), the next one (repeating the last) and
// the fraction.
struct Taps {
    std::vector<int32_t> first, second;
    std::vector<float> fraction;
};

Taps tapsOf(int32_t n, int32_t side, float step) {
    Taps t{std::vector<int32_t>(size_t(n)), std::vector<int32_t>(size_t(n)),
           std::vector<float>(size_t(n))};
    for (int32_t i = 0; i < n; ++i) {
        const float s = static_cast<float>(i) * step;
        const int32_t whole = std::min(saturatingTrunc<int32_t>(s), side - 1);
        t.first[size_t(i)] = whole;
        t.second[size_t(i)] = std::min(whole + 1, side - 1);
        t.fraction[size_t(i)] = s - static_cast<float>(whole);
    }
    return t;
}

// The bilinear value at every output column of one source row, before the row weights: the
// column's two taps as floats, so the output rows need no per-pixel look-ups.
struct ExpandedRow {
    int32_t source = -1;
    std::vector<float> first, second;
};

// v = ((a wy0) wx0 + (b wy0) wx1) + (c wy1) wx0 + (d wy1) wx1 in single precision, in this
// order, then truncated and limited to 0..255 (v is never NaN: the taps are bytes and the
// weights fractions).
KMM_SIMD_BODY void blendRows(uint8_t* __restrict out, const float* __restrict a,
                             const float* __restrict b, const float* __restrict c,
                             const float* __restrict d, const float* __restrict wx0,
                             const float* __restrict wx1, float wy0, float wy1, int32_t n) {
    for (int32_t x = 0; x < n; ++x) {
        const float v = a[x] * wy0 * wx0[x] + b[x] * wy0 * wx1[x] + c[x] * wy1 * wx0[x] +
                        d[x] * wy1 * wx1[x];
        out[x] = uint8_t(int32_t(std::min(std::max(v, 0.0f), 255.0f)));
    }
}

}  // namespace

int32_t zoomedSide(int32_t side, float zoom) {
    return saturatingTrunc<int32_t>(static_cast<float>(side) * zoom);
}

void zoomImage(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height, float zoom,
               uint32_t mode) {
    const int32_t newWidth = zoomedSide(width, zoom), newHeight = zoomedSide(height, zoom);
    const float step = 1.0f / zoom;
    const Taps xs = tapsOf(newWidth, width, step), ys = tapsOf(newHeight, height, step);
    const auto columns = size_t(newWidth);
    if (mode == 0) {
        for (int32_t y = 0; y < newHeight; ++y) {
            uint8_t* out = dst + int64_t(y) * newWidth;
            if (y > 0 && ys.first[size_t(y)] == ys.first[size_t(y) - 1]) {
                std::copy_n(out - newWidth, columns, out);  // the same source row again
                continue;
            }
            const uint8_t* row = src + int64_t(ys.first[size_t(y)]) * width;
            for (size_t x = 0; x < columns; ++x) out[x] = row[xs.first[x]];
        }
        return;
    }
    std::vector<float> wx0(columns);
    for (size_t x = 0; x < columns; ++x) wx0[x] = 1.0f - xs.fraction[x];
    // The source rows advance with the output rows, so two expanded rows serve them all.
    ExpandedRow slots[2];
    for (auto& slot : slots) slot.first.resize(columns), slot.second.resize(columns);
    const auto expanded = [&](int32_t r, const ExpandedRow* keep) -> const ExpandedRow& {
        for (const auto& slot : slots) {
            if (slot.source == r) return slot;
        }
        ExpandedRow& slot = &slots[0] == keep ? slots[1] : slots[0];
        const uint8_t* row = src + int64_t(r) * width;
        for (size_t x = 0; x < columns; ++x) {
            slot.first[x] = static_cast<float>(row[xs.first[x]]);
            slot.second[x] = static_cast<float>(row[xs.second[x]]);
        }
        slot.source = r;
        return slot;
    };
    for (int32_t y = 0; y < newHeight; ++y) {
        const ExpandedRow& upper = expanded(ys.first[size_t(y)], nullptr);
        const ExpandedRow& lower = expanded(ys.second[size_t(y)], &upper);
        const float fy = ys.fraction[size_t(y)];
        dispatchSimd<blendRows>(dst + int64_t(y) * newWidth, upper.first.data(),
                                upper.second.data(), lower.first.data(), lower.second.data(),
                                static_cast<const float*>(wx0.data()),
                                static_cast<const float*>(xs.fraction.data()), 1.0f - fy, fy,
                                newWidth);
    }
}

}  // namespace kmm
