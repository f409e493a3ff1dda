// The spatial smoothing stage: the Gaussian (mode 0) or range-weighted (mode 1) filter from
// input into work16.
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/neighbourhood_filters.h"

namespace kmm {

// Any other mode, a Gaussian window other than 3 or a range window above 11 leaves the
// frame as it is (returns false, so nothing is copied back).
bool ImagePipeline::smooth() {
    int16_t* bordered = buffers_.border.get();
    if (!bordered) return false;
    const auto w = static_cast<int32_t>(workWidth);
    const auto h = static_cast<int32_t>(workHeight);
    const auto window = static_cast<int32_t>(smoothingWindow > 255 ? 255 : smoothingWindow);
    switch (smoothingMode) {
        case 0:
            return gaussianFilter(buffers_.work16.get(), buffers_.input.get(), w, h, window,
                                  smoothingKernel, bordered);
        case 1:
            return rangeWeightedFilter(buffers_.work16.get(), buffers_.input.get(), w, h,
                                       smoothingRangeTable, window, window, bordered);
        default:
            return false;
    }
}

}  // namespace kmm
