// The rotation stage: quarter turns either way through a tiled transposition, and the half
// turn; the transposition also serves the row-stripe removal.
#include <algorithm>

#include "common/blocks.h"
#include "imagemap/pipeline/pipeline_stages.h"

namespace kmm {

void transposeFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                    bool flipRows, bool flipColumns) {
    // Tiles of 32 x 32 keep both the rows read and the rows written in the cache.
    constexpr int64_t kTile = 32;
    const int64_t w = width, h = height;
    for (const auto rows : blocks(h, kTile)) {
        for (const auto columns : blocks(w, kTile)) {
            for (int64_t x = columns.start; x < columns.end; ++x) {
                int16_t* row = out + (flipRows ? w - 1 - x : x) * h;
                for (int64_t y = rows.start; y < rows.end; ++y) {
                    row[flipColumns ? h - 1 - y : y] = in[y * w + x];
                }
            }
        }
    }
}

bool rotateFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height, uint32_t mode) {
    switch (mode) {
        case 0:  // output row r is input column r read from the bottom up
            transposeFrame(out, in, width, height, false, true);
            return true;
        case 1:
            std::reverse_copy(in, in + int64_t(width) * height, out);
            return true;
        case 2:  // output row r is input column width - 1 - r read from the top down
            transposeFrame(out, in, width, height, true, false);
            return true;
        default:
            return false;  // the frame stays as it is
    }
}

}  // namespace kmm
