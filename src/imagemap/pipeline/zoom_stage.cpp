// The zoom stage: the 8-bit image enlarged by a float factor, nearest or bilinear. Source
// coordinates come from one float product per row and column, so each row's weights are
// worked out once.
#include <algorithm>
#include <vector>

#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"

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
        t.second[size_t(i)] = whole + 1 < side ? whole + 1 : side - 1;
        t.fraction[size_t(i)] = s - static_cast<float>(whole);
    }
    return t;
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
    for (int32_t y = 0; y < newHeight; ++y) {
        uint8_t* out = dst + int64_t(y) * newWidth;
        const uint8_t* row0 = src + int64_t(ys.first[size_t(y)]) * width;
        if (mode == 0) {
            for (int32_t x = 0; x < newWidth; ++x) out[x] = row0[xs.first[size_t(x)]];
            continue;
        }
        const uint8_t* row1 = src + int64_t(ys.second[size_t(y)]) * width;
        const float fy = ys.fraction[size_t(y)];
        for (int32_t x = 0; x < newWidth; ++x) {
            const size_t i = size_t(x);
            const float fx = xs.fraction[i];
            const auto at = [](const uint8_t* row, int32_t c) { return static_cast<float>(row[c]); };
            const float v = at(row0, xs.first[i]) * (1.0f - fy) * (1.0f - fx) +
                            at(row0, xs.second[i]) * (1.0f - fy) * fx +
                            at(row1, xs.first[i]) * fy * (1.0f - fx) +
                            at(row1, xs.second[i]) * fy * fx;
            out[x] = clampToByte(saturatingTrunc<int32_t>(v));
        }
    }
}

}  // namespace kmm
