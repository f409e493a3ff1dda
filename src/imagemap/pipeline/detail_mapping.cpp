// The detail-enhanced mapping: the frame split into a range-weighted base, whose grey image
// the mapping modes (or the window-centred mapping) make and the adaptive equalisation may
// even out, and a detail layer (the base less its Gaussian, within +-25) added back with a
// gain of detailGain / 16.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"
#include "kernels/weight_tables.h"

namespace kmm {

// A base window outside 1..11 counts as the nearer end. The Gaussian of the base is always
// 3 x 3: a wider window would only repeat the same edge values further out.
void ImagePipeline::mapWithDetail(uint8_t* out, const int16_t* in, int32_t w, int32_t h,
                                  const DetailScratch& s) {
    if (!detailRange_.built) {
        buildRangeTable(detailRange_.entries, 15);
        buildSmoothingKernel(detailKernel_.entries, 3, 3, 15);
        detailRange_.built = detailKernel_.built = true;
    }
    const int64_t count = int64_t(w) * h;
    const auto window = static_cast<int32_t>(std::clamp<uint32_t>(detailBaseWindow, 1, kMaxWindow));
    rangeWeightedFilter(s.base, nullptr, in, w, h, detailRange_.entries.data(), window, window,
                        s.bordered);
    gaussianFilter3x3(s.smoothedBase, s.base, w, h, detailKernel_.entries.data(), s.bordered);

    if (mappingMode <= 2) {
        mapByMode(out, s.base, w, h, s.tables);
    } else if (mappingMode == 3) {
        mapWindowCentred(out, s.base, count, rangeHigh, rangeLow, linearBrightness, linearContrast);
    } else {
        std::fill_n(out, count, uint8_t{0});  // no mapping: a black base
    }
    const uint8_t* baseImage = out;
    if (detailPostOn) {
        equaliseAdaptive(s.equalisedBase, out, w, h);
        baseImage = s.equalisedBase;
    }
    const double gain = static_cast<double>(detailGain) * 0.0625;
    for (int64_t i = 0; i < count; ++i) {
        const int32_t detail = std::clamp(s.base[i] - s.smoothedBase[i], -25, 25);
        // Exact in double: detail x gain is a whole number below 2^38 and x 1/16 is exact.
        const double v = static_cast<double>(detail) * gain + static_cast<double>(baseImage[i]);
        out[i] = clampToByte(saturatingTrunc<int32_t>(v));
    }
}

}  // namespace kmm
