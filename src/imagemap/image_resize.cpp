// Bilinear enlargement: per-axis taps, then a vertical blend per destination row and a
// horizontal blend per pixel. The four-weight form, one pixel at a time, is kept as the
// reference: both give the same bits because (2048 - fx) * (a * (2048 - fy) + c * fy) +
// fx * (b * (2048 - fy) + d * fy) is the four-term sum regrouped, all in exact integers.
#include "imagemap/image_resize.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "common/numeric.h"

namespace kmm {
namespace {

constexpr int32_t kOne = 2048;  // 11-bit fractions

// The weighted mean is converted to float and limited to -32767..32768 before it is kept
// in 16 bits; a mean of 16-bit values is exact in float, so only -32768 moves.
int16_t storeSample(int64_t v) {
    const float limited = std::max(std::min(float(v), 32768.0f), -32767.0f);
    return wrapToInt16(int64_t(limited));
}

}  // namespace

ResizeTap resizeTap(int64_t index, int32_t sourceLength, int32_t factor) {
    const double position =
        double(index) * sourceLength / double(int64_t(sourceLength) * factor);
    const int32_t first = int32_t(position);
    const int32_t fraction = int32_t((position - first) * kOne);
    return {first, first < sourceLength - 1 ? first + 1 : first, fraction};
}

void resizeFrame(int16_t* dst, const int16_t* src, int32_t srcHeight, int32_t srcWidth,
                 int32_t factor) {
    const int64_t dstWidth = int64_t(srcWidth) * factor;
    const int64_t dstHeight = int64_t(srcHeight) * factor;
    std::vector<ResizeTap> columns(static_cast<size_t>(dstWidth));
    for (int64_t j = 0; j < dstWidth; ++j) columns[size_t(j)] = resizeTap(j, srcWidth, factor);
    // One source row pair blended vertically: at most 32768 * 2048 = 2^26 in magnitude.
    std::vector<int32_t> blended(static_cast<size_t>(srcWidth));
    for (int64_t i = 0; i < dstHeight; ++i) {
        const ResizeTap row = resizeTap(i, srcHeight, factor);
        const int16_t* upper = src + int64_t(row.first) * srcWidth;
        const int16_t* lower = src + int64_t(row.second) * srcWidth;
        for (int32_t x = 0; x < srcWidth; ++x) {
            blended[size_t(x)] = upper[x] * (kOne - row.fraction) + lower[x] * row.fraction;
        }
        int16_t* out = dst + i * dstWidth;
        for (int64_t j = 0; j < dstWidth; ++j) {
            const ResizeTap& c = columns[size_t(j)];
            const int64_t sum = int64_t(blended[size_t(c.first)]) * (kOne - c.fraction) +
                                int64_t(blended[size_t(c.second)]) * c.fraction;
            // storeSample without the float detour: the mean lies in -32768..32767.
            out[j] = int16_t(std::max<int64_t>(sum >> 22, -32767));
        }
    }
}

void resizeFrameReference(int16_t* dst, const int16_t* src, int32_t srcHeight, int32_t srcWidth,
                          int32_t factor) {
    const int64_t dstWidth = int64_t(srcWidth) * factor;
    const int64_t dstHeight = int64_t(srcHeight) * factor;
    auto at = [&](int32_t r, int32_t c) { return int64_t(src[int64_t(r) * srcWidth + c]); };
    for (int64_t i = 0; i < dstHeight; ++i) {
        const ResizeTap y = resizeTap(i, srcHeight, factor);
        for (int64_t j = 0; j < dstWidth; ++j) {
            const ResizeTap x = resizeTap(j, srcWidth, factor);
            const int64_t sum = at(y.first, x.first) * (kOne - y.fraction) * (kOne - x.fraction) +
                                at(y.first, x.second) * (kOne - y.fraction) * x.fraction +
                                at(y.second, x.first) * y.fraction * (kOne - x.fraction) +
                                at(y.second, x.second) * y.fraction * x.fraction;
            dst[i * dstWidth + j] = storeSample(sum >> 22);
        }
    }
}

}  // namespace kmm
