// The spatial smoothing stage: the 3 x 3 Gaussian (mode 0) or the range-weighted filter
// (mode 1, through the run's bordered frame). Any other mode, a Gaussian window other
// than 3 or a range window outside 1..11 leaves the frame as it is.
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/neighbourhood.h"
#include "kernels/weight_tables.h"

namespace kmm {

uint32_t* ImagePipeline::smoothingKernel() {
    if (!smoothingKernel_.built) {
        buildSmoothingKernel(smoothingKernel_.entries, 3, 3, 5);
        smoothingKernel_.built = true;
    }
    return smoothingKernel_.entries.data();
}

bool ImagePipeline::smooth(int16_t* out, const int16_t* in, int32_t w, int32_t h,
                           int16_t* bordered) {
    switch (smoothingMode) {
        case 0:
            if (smoothingWindow != 3) return false;
            gaussianFilter3x3(out, in, w, h, smoothingKernel());
            return true;
        case 1: {
            if (smoothingWindow < 1 || smoothingWindow > uint32_t(kMaxWindow)) return false;
            if (!smoothingRange_.built) {
                buildRangeTable(smoothingRange_.entries, 5);  // not rebuilt by the sigma setter
                smoothingRange_.built = true;
            }
            const auto window = static_cast<int32_t>(smoothingWindow);
            rangeWeightedFilter(out, nullptr, in, w, h, smoothingRange_.entries.data(), window,
                                window, bordered);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace kmm
