// Bilinear enlargement: per-axis taps, then a vertical blend per destination row and a
// horizontal blend per pixel. That gives the bits of the four-weight sum because
// (2048 - fx) (a (2048 - fy) + c fy) + fx (b (2048 - fy) + d fy) is the same sum regrouped,
// all in exact integers.
#include "imagemap/image_resize.h"

#include <algorithm>

#include "common/work_block.h"

namespace kmm {
namespace {

constexpr int32_t kOne = 2048;  // 11-bit fractions

}  // namespace

ResizeTap resizeTap(int64_t index, int32_t sourceLength, int32_t factor) {
    const double position =
        double(index) * sourceLength / double(int64_t(sourceLength) * factor);
    const int32_t first = int32_t(position);
    const int32_t fraction = int32_t((position - first) * kOne);
    return {first, first < sourceLength - 1 ? first + 1 : first, fraction};
}

void resizeFrame(int16_t* dst, FrameView<const int16_t> src, int32_t factor) {
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
