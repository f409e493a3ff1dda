// The detail-enhanced mapping: the frame split into a range-weighted base, whose grey image
// the mapping modes (or the window-centred mapping) make and the adaptive equalisation may
// even out, and a detail layer (the base less its Gaussian, within +-25) added back with a
// gain of detailGain / 16.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/conversions.h"
#include "kernels/neighbourhood.h"
#include "kernels/simd_dispatch.h"
#include "kernels/weight_tables.h"

namespace kmm {
namespace {

// out = clamp(trunc(clamp(base - smoothed, +-25) x gain / 16 + grey)). The double sum is exact
// (a whole number of sixteenths), so it equals floor((detail x gain + 16 grey) / 16) wherever
// that is not negative, and a negative one clamps to 0 either way. Beyond a gain of 8192 any
// detail moves the sum past both ends, so the integer form needs only 32 bits.
KMM_SIMD_BODY void addDetailBody(uint8_t* __restrict out, const int16_t* __restrict base,
                                 const int16_t* __restrict smoothed,
                                 const uint8_t* __restrict grey, int64_t count, int32_t gain) {
    for (int64_t i = 0; i < count; ++i) {
        const int32_t detail = std::clamp(int32_t(base[i]) - smoothed[i], -25, 25);
        out[i] = clampToByte((detail * gain + 16 * int32_t(grey[i])) >> 4);
    }
}

void addDetail(uint8_t* out, const int16_t* base, const int16_t* smoothed, const uint8_t* grey,
               int64_t count, uint32_t gain) {
    dispatchSimd<addDetailBody>(out, base, smoothed, grey, count,
                                int32_t(std::min<uint32_t>(gain, 8192)));
}

}  // namespace

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
    gaussianFilter3x3(s.smoothedBase, s.base, w, h, detailKernel_.entries.data());

    if (mappingMode == 3) {
        mapWindowCentred(out, s.base, count, rangeHigh, rangeLow, linearBrightness, linearContrast);
    } else {
        mapByMode(out, s.base, w, h, s.tables);
    }
    const uint8_t* baseImage = out;
    if (detailPostOn) {
        equaliseAdaptive(s.equalisedBase, out, w, h);
        baseImage = s.equalisedBase;
    }
    addDetail(out, s.base, s.smoothedBase, baseImage, count, detailGain);
}

}  // namespace kmm
