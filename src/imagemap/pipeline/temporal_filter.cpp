// The temporal noise filter: each pixel blended with the object's history by a weight that
// falls as the local motion rises. Motion is the mean absolute difference from the history
// over a 4 x 2 block: the pixel's row and the row above, one column left to two right, with
// the frame's edge values repeated outward (the block is always 4 x 2). The history holds one
// frame of the object's size, so frames of any size are filtered.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {

bool ImagePipeline::filterTemporal(int16_t* out, const int16_t* in) {
    if (temporalHistory_.empty()) return false;
    int16_t* history = temporalHistory_.data();
    const int64_t w = width_, h = height_;
    ++temporalFrames_;
    if (temporalFrames_ == 1) {  // a new sequence: the frame passes and starts the history
        std::copy_n(in, w * h, history);
        return false;
    }
    // Differences of the row above and of this row (u16 holds every |a - b| of two samples),
    // their column sums with two repeated columns on either side, and each pixel's weight.
    const auto columns = static_cast<size_t>(w);
    std::vector<uint16_t> above(columns), here(columns);
    std::vector<uint32_t> columnSums(columns + 4), weights(columns);
    for (int64_t y = 0; y < h; ++y) {
        const int16_t* now = in + y * w;
        int16_t* past = history + y * w;
        for (int64_t x = 0; x < w; ++x) here[size_t(x)] = uint16_t(std::abs(now[x] - past[x]));
        if (y == 0) above = here;  // the row above the first is the first
        for (int64_t c = 0; c < w + 4; ++c) {
            const size_t x = size_t(std::clamp<int64_t>(c - 2, 0, w - 1));
            columnSums[size_t(c)] = uint32_t(above[x]) + here[x];
        }
        for (int64_t x = 0; x < w; ++x) {
            const uint32_t* s = columnSums.data() + x + 1;  // columns x - 1 .. x + 2
            const uint32_t motion = (s[0] + s[1] + s[2] + s[3]) >> 3;
            weights[size_t(x)] = motion < 128 ? temporalWeights_[motion] : 0;
        }
        // The history row is rewritten only now: the next row's block still needs this row's
        // differences, which `above` keeps.
        for (int64_t x = 0; x < w; ++x) {
            const int32_t weight = int32_t(weights[size_t(x)]);  // at most 4096
            const int16_t v = int16_t((now[x] * (4096 - weight) + past[x] * weight) >> 12);
            out[y * w + x] = v;
            past[x] = v;
        }
        std::swap(above, here);
    }
    return true;
}

}  // namespace kmm
