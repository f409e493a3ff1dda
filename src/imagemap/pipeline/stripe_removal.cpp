// Column- and row-stripe removal. Along each row, a range-weighted 1-D mean smooths the frame
// and says how flat each neighbourhood is; the clamped differences from it, averaged down each
// column over the flat neighbourhoods only, are the column's fixed offset, which is taken off.
// Rows are the same on the transposed frame. A window outside 1..11 leaves the frame as it is.
#include <algorithm>
#include <cstddef>
#include <vector>

#include "common/work_block.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"
#include "kernels/stripe_line.h"
#include "kernels/weight_tables.h"

namespace kmm {
namespace {

struct StripeParams {
    int32_t window;
    int64_t threshold, clamp;
};

// Rows the 32-bit difference sums take before they are carried into 64 bits: every
// difference lies within +-65535.
constexpr int64_t kRowsPerCarry = 32767;

// The offset of each of the width columns of frame.
void columnOffsets(int32_t* offsets, const int16_t* frame, int32_t width, int32_t height,
                   const uint32_t* table, StripeParams p) {
    const int32_t before = p.window / 2, after = p.window - 1 - before;
    // A smoothed value lies within 16 bits, so no difference exceeds 65535 either way, and no
    // weight sum exceeds 11 x 4096: larger limits act like these.
    const StripeByteTables bytes = stripeByteTables(table);
    const StripeLine line{table, before, after,
                          int32_t(std::min<int64_t>(p.threshold * p.window, INT32_MAX)),
                          int32_t(std::min<int64_t>(p.clamp, 65535)), &bytes};
    const auto columns = size_t(width);
    const size_t extended = columns + size_t(p.window - 1);
    WorkBlock work(WorkBlock::bytesFor<int16_t>(extended) +
                   WorkBlock::bytesFor<std::byte>(stripeLineScratch(width, line)) +
                   2 * WorkBlock::bytesFor<int32_t>(columns) +
                   WorkBlock::bytesFor<int64_t>(columns));
    int16_t* row = work.take<int16_t>(extended);
    void* scratch = work.take<std::byte>(stripeLineScratch(width, line));
    int32_t* partialSums = work.take<int32_t>(columns);
    int32_t* flatRows = work.take<int32_t>(columns);
    int64_t* differenceSums = work.take<int64_t>(columns);
    std::fill_n(partialSums, columns, 0);
    std::fill_n(flatRows, columns, 0);
    std::fill_n(differenceSums, columns, 0);

    for (int64_t y = 0; y < height; ++y) {
        const int16_t* src = frame + y * width;
        std::fill_n(row, before, src[0]);
        std::copy_n(src, width, row + before);
        std::fill_n(row + before + width, after, src[width - 1]);
        accumulateFlatDifferences(partialSums, flatRows, row, width, line, scratch);
        if ((y + 1) % kRowsPerCarry == 0 || y + 1 == height) {
            for (size_t x = 0; x < columns; ++x) differenceSums[x] += partialSums[x];
            std::fill_n(partialSums, columns, 0);
        }
    }
    for (size_t x = 0; x < columns; ++x) {
        const int32_t n = flatRows[x];
        offsets[x] = n > 0 ? int32_t(std::clamp<int64_t>(differenceSums[x] / n, -line.clamp, line.clamp)) : 0;
    }
}

}  // namespace

bool ImagePipeline::removeStripes(int16_t* out, const int16_t* in, int32_t w, int32_t h,
                                  bool rows, int16_t* transposed) {
    const uint32_t window = rows ? rowStripeWindow : columnStripeWindow;
    if (window < 1 || window > uint32_t(kMaxWindow)) return false;
    const StripeParams p{int32_t(window), rows ? rowStripeThreshold : columnStripeThreshold,
                         rows ? rowStripeClamp : columnStripeClamp};
    if (!stripeRange_.built) {
        buildRangeTable(stripeRange_.entries, 25);  // both directions, whatever their sigma
        stripeRange_.built = true;
    }
    std::vector<int32_t> offsets(size_t(rows ? h : w));
    if (rows) {
        transposeFrame(transposed, in, w, h, false, false);
        columnOffsets(offsets.data(), transposed, h, w, stripeRange_.entries.data(), p);
    } else {
        columnOffsets(offsets.data(), in, w, h, stripeRange_.entries.data(), p);
    }
    for (int64_t y = 0; y < h; ++y) {
        const int16_t* src = in + y * w;
        int16_t* dst = out + y * w;
        if (rows) {
            const int32_t offset = offsets[size_t(y)];
            for (int64_t x = 0; x < w; ++x) dst[x] = wrapToInt16(src[x] - offset);
        } else {
            for (int64_t x = 0; x < w; ++x) dst[x] = wrapToInt16(src[x] - offsets[size_t(x)]);
        }
    }
    return true;
}

}  // namespace kmm
