// Bilinear enlargement: per-axis taps, then a vertical blend per destination row and a
// horizontal blend per pixel. That gives the bits of the four-weight sum because
// (2048 - fx) (a (2048 - fy) + c fy) + fx (b (2048 - fy) + d fy) is the same sum regrouped,
// all in exact integers.
#include "imagemap/image_resize.h"

#include <algorithm>

#include "common/work_block.h"
#include "kernels/simd_dispatch.h"
#include "kernels/streaming_copy.h"

namespace kmm {
namespace {

constexpr int32_t kOne = 2048;  // 11-bit fractions

// Enlarging by 2, every weight is 2048 and 0 or 1024 and 1024, so each destination value is
// a source value, the floor of the mean of two, or the floor of the mean of four: the
// weighted sum >> 22 reduces to those exactly. The last column (and row) blends with itself.
// Means never go below the smallest source value, so -32768 is the only value that moves.
// Everything stays in 16-bit lanes.
KMM_SIMD_BODY int16_t limited(int16_t v) { return std::max(v, int16_t(-32767)); }

// floor((a + b) / 2) without leaving 16 bits.
KMM_SIMD_BODY int16_t halfSum(int16_t a, int16_t b) { return int16_t((a & b) + ((a ^ b) >> 1)); }

// floor((a + b + c + d) / 4) from p = halfSum(a, c), q = halfSum(b, d): with a + c = 2p + r1,
// b + d = 2q + r2 and p + q = 2m + r3, the quarter sum is m + (2 r3 + r1 + r2) / 4, and
// that fraction reaches 1 only when all three remainders are 1.
KMM_SIMD_BODY int16_t quarterSum(int16_t p, int16_t q, int16_t r1, int16_t r2) {
    return int16_t(halfSum(p, q) + (r1 & r2 & (p ^ q) & 1));
}

// A destination row on a source row.
KMM_SIMD_BODY void doubleRowOn(int16_t* __restrict out, const int16_t* __restrict a,
                               int32_t width) {
    for (int32_t x = 0; x < width - 1; ++x) {
        out[2 * x] = limited(a[x]);
        out[2 * x + 1] = limited(halfSum(a[x], a[x + 1]));
    }
    out[2 * width - 2] = out[2 * width - 1] = limited(a[width - 1]);
}

// A destination row halfway between source rows a and b.
KMM_SIMD_BODY void doubleRowBetween(int16_t* __restrict out, const int16_t* __restrict a,
                                    const int16_t* __restrict b, int32_t width) {
    for (int32_t x = 0; x < width - 1; ++x) {
        const int16_t left = halfSum(a[x], b[x]), right = halfSum(a[x + 1], b[x + 1]);
        out[2 * x] = limited(left);
        out[2 * x + 1] = limited(quarterSum(left, right, int16_t(a[x] ^ b[x]),
                                            int16_t(a[x + 1] ^ b[x + 1])));
    }
    out[2 * width - 2] = out[2 * width - 1] = limited(halfSum(a[width - 1], b[width - 1]));
}

// Destination rows go through a row in the cache when the result is too large to stay in
// it, and on to the destination by streaming stores.
KMM_SIMD_BODY void resizeTwice(int16_t* dst, const int16_t* src, int32_t width, int32_t height,
                               int16_t* row) {
    const int64_t dstWidth = 2 * int64_t(width);
    for (int64_t i = 0; i < 2 * int64_t(height); ++i) {
        const ResizeTap tap = resizeTap(i, height, 2);
        int16_t* out = row ? row : dst + i * dstWidth;
        const int16_t* upper = src + int64_t(tap.first) * width;
        if (tap.fraction == 0) {
            doubleRowOn(out, upper, width);
        } else {
            doubleRowBetween(out, upper, src + int64_t(tap.second) * width, width);
        }
        if (row) streamingCopy(dst + i * dstWidth, row, size_t(dstWidth) * sizeof(int16_t));
    }
}

}  // namespace

ResizeTap resizeTap(int64_t index, int32_t sourceLength, int32_t factor) {
    const double position =
        double(index) * sourceLength / double(int64_t(sourceLength) * factor);
    const int32_t first = int32_t(position);
    const int32_t fraction = int32_t((position - first) * kOne);
    return {first, std::min(first + 1, sourceLength - 1), fraction};
}

void resizeFrame(int16_t* dst, FrameView<const int16_t> src, int32_t factor, size_t streamingFrom) {
    if (factor == 2) {
        const size_t rowCount = size_t(src.width) * 2;
        const bool streaming = rowCount * 2 * size_t(src.height) * sizeof(int16_t) >= streamingFrom;
        WorkBlock work(streaming ? WorkBlock::bytesFor<int16_t>(rowCount) : 0);
        int16_t* row = streaming ? work.take<int16_t>(rowCount) : nullptr;
        dispatchSimd<resizeTwice>(dst, src.pixels, src.width, src.height, row);
        return;
    }
    const int32_t srcWidth = src.width, srcHeight = src.height;
    const int64_t dstWidth = int64_t(srcWidth) * factor;
    const int64_t dstHeight = int64_t(srcHeight) * factor;
    WorkBlock work(WorkBlock::bytesFor<ResizeTap>(size_t(dstWidth)) +
                   WorkBlock::bytesFor<int32_t>(size_t(srcWidth)));
    ResizeTap* columns = work.take<ResizeTap>(size_t(dstWidth));
    // One source row pair blended vertically: at most 32768 x 2048 = 2^26 in magnitude.
    int32_t* blended = work.take<int32_t>(size_t(srcWidth));
    for (int64_t j = 0; j < dstWidth; ++j) columns[j] = resizeTap(j, srcWidth, factor);
    for (int64_t i = 0; i < dstHeight; ++i) {
        const ResizeTap row = resizeTap(i, srcHeight, factor);
        const int16_t* upper = src.pixels + int64_t(row.first) * srcWidth;
        const int16_t* lower = src.pixels + int64_t(row.second) * srcWidth;
        for (int32_t x = 0; x < srcWidth; ++x) {
            blended[x] = upper[x] * (kOne - row.fraction) + lower[x] * row.fraction;
        }
        int16_t* out = dst + i * dstWidth;
        for (int64_t j = 0; j < dstWidth; ++j) {
            const ResizeTap& c = columns[j];
            const int64_t sum = int64_t(blended[c.first]) * (kOne - c.fraction) +
                                int64_t(blended[c.second]) * c.fraction;
            // The mean of 16-bit values lies in -32768..32767; only -32768 moves, the float
            // limit of -32767.0 being exact.
            out[j] = int16_t(std::max<int64_t>(sum >> 22, -32767));
        }
    }
}

}  // namespace kmm
