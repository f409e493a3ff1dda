// The spatial smoothing stage: the 3 x 3 Gaussian (mode 0) or the range-weighted filter
// (mode 1) from input into work16, both through the object's bordered frame.
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/neighbourhood.h"

namespace kmm {

// Any other mode, a Gaussian window other than 3 or a range window above 11 leaves the
// frame as it is (returns false, so nothing is copied back).
bool ImagePipeline::smooth() {
    int16_t* bordered = buffers_.border.get();
    if (!bordered) return false;
    const auto w = static_cast<int32_t>(workWidth);
    const auto h = static_cast<int32_t>(workHeight);
    switch (smoothingMode) {
        case 0:
            if (smoothingWindow != 3) return false;
            gaussianFilter3x3(buffers_.work16.get(), buffers_.input.get(), w, h,
                              smoothingKernel.data(), bordered);
            return true;
        case 1: {
            if (smoothingWindow < 1 || smoothingWindow > uint32_t(kMaxWindow)) return false;
            const auto window = static_cast<int32_t>(smoothingWindow);
            rangeWeightedFilter(buffers_.work16.get(), nullptr, buffers_.input.get(), w, h,
                                smoothingRangeTable.data(), window, window, bordered);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace kmm
