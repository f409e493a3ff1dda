// Column- and row-stripe removal. Along each row, a range-weighted 1-D mean smooths the frame
// and says how flat each neighbourhood is; the clamped differences from it, averaged down each
// column over the flat neighbourhoods only, are the column's fixed offset, which is taken off.
// Rows are the same on the transposed frame. A window outside 1..11 leaves the frame as it is.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"
#include "kernels/weight_tables.h"

namespace kmm {
namespace {

struct StripeParams {
    int32_t window;
    int64_t threshold, clamp;
};

// The offset of each of the width columns of frame.
void columnOffsets(int32_t* offsets, const int16_t* frame, int32_t width, int32_t height,
                   const uint32_t* table, StripeParams p) {
    const int32_t before = p.window / 2, after = p.window - 1 - before;
    const int32_t reach = std::max(before, after);
    const int64_t length = int64_t(width) + p.window - 1;  // the row with its repeated edges
    std::vector<int32_t> row(static_cast<size_t>(length));
    // pairs[d - 1][i]: the weight between bordered positions i and i + d. Each pair serves
    // both of its pixels, so a window of n takes about n/2 table look-ups a pixel, not n.
    std::vector<std::vector<uint32_t>> pairs(static_cast<size_t>(reach),
                                           std::vector<uint32_t>(static_cast<size_t>(length)));
    const auto columns = static_cast<size_t>(width);
    std::vector<int32_t> weightSums(columns), valueSums(columns), flatRows(columns);
    std::vector<int64_t> differenceSums(columns);
    const int64_t flatWeight = p.threshold * p.window;  // mean weight >= threshold

    for (int64_t y = 0; y < height; ++y) {
        const int16_t* src = frame + y * width;
        for (int64_t i = 0; i < length; ++i) row[size_t(i)] = src[std::clamp<int64_t>(i - before, 0, width - 1)];
        for (int32_t d = 1; d <= reach; ++d) {
            uint32_t* pair = pairs[size_t(d - 1)].data();
            for (int64_t i = 0; i + d < length; ++i) {
                pair[i] = table[std::min(std::abs(row[size_t(i)] - row[size_t(i + d)]), 511)];
            }
        }
        // Every window holds at most 11 weights of at most 4096, so the sums of weight x
        // value stay within 32 bits.
        const int32_t* centre = row.data() + before;
        for (int64_t x = 0; x < width; ++x) {
            weightSums[size_t(x)] = int32_t(table[0]);
            valueSums[size_t(x)] = int32_t(table[0]) * centre[x];
        }
        for (int32_t d = 1; d <= after; ++d) {
            const uint32_t* pair = pairs[size_t(d - 1)].data() + before;
            for (int64_t x = 0; x < width; ++x) {
                weightSums[size_t(x)] += int32_t(pair[x]);
                valueSums[size_t(x)] += int32_t(pair[x]) * centre[x + d];
            }
        }
        for (int32_t d = 1; d <= before; ++d) {
            const uint32_t* pair = pairs[size_t(d - 1)].data() + before - d;
            for (int64_t x = 0; x < width; ++x) {
                weightSums[size_t(x)] += int32_t(pair[x]);
                valueSums[size_t(x)] += int32_t(pair[x]) * centre[x - d];
            }
        }
        for (int64_t x = 0; x < width; ++x) {
            const int32_t weightSum = weightSums[size_t(x)];
            if (weightSum < flatWeight) continue;
            // A double quotient of a 32-bit sum by a sum below 2^16 truncates exactly like the
            // integer one, and costs far less.
            const int32_t smoothed = weightSum > 0
                ? static_cast<int32_t>(static_cast<double>(valueSums[size_t(x)]) / weightSum)
                : centre[x];
            differenceSums[size_t(x)] += std::clamp<int64_t>(centre[x] - smoothed, -p.clamp, p.clamp);
            ++flatRows[size_t(x)];
        }
    }
    for (int64_t x = 0; x < width; ++x) {
        const int32_t n = flatRows[size_t(x)];
        offsets[x] = n > 0 ? int32_t(std::clamp(differenceSums[size_t(x)] / n, -p.clamp, p.clamp)) : 0;
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
        for (int64_t x = 0; x < w; ++x) {
            const int64_t i = y * w + x;
            out[i] = wrapToInt16(in[i] - offsets[size_t(rows ? y : x)]);
        }
    }
    return true;
}

}  // namespace kmm
