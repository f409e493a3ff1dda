// Offset-code grey mapping as a composition of the kernels: the Gaussian smoothing, the
// plateau equalisation of the smoothed frame, the table look-up (with the detail layer when
// it has a gain), and the Q9 window.
#include "imagemap/offset_code_mapping.h"

#include <algorithm>
#include <array>

#include "kernels/conversions.h"
#include "kernels/grey_map.h"
#include "kernels/linear.h"
#include "kernels/neighbourhood.h"
#include "kernels/weight_tables.h"

namespace kmm {

// A small spot far above the range saturates the terms and shows white rather than wrapping
// to black.
PlateauTuning offsetCodeEqualisation(const OffsetCodeTuning& t) {
    return {.index = {32768, false}, .contrast = t.contrast, .brightness = t.brightness,
            .rangeKnee = t.rangeKnee, .spanLimit = t.spanLimit,
            .equaliseCentre = t.equaliseCentre, .plateau = t.plateau, .narrowPlateauBelow = 128,
            .lowDiscard = t.lowDiscard, .highDiscard = t.highDiscard, .maxGain = 4,
            .midWeightRise = 0, .totalAt = TotalAt::UpperPercentile,
            .termOverflow = TermOverflow::Saturate, .countLimit = kExactCounts};
}

size_t offsetCodeWorkBytes(int32_t width, int32_t height) {
    const size_t pixels = size_t(width) * size_t(height);
    return WorkBlock::bytesFor<PlateauTables>(1) + WorkBlock::bytesFor<uint8_t>(kIndexCount) +
           WorkBlock::bytesFor<int16_t>(pixels);
}

void mapOffsetCodesAuto(uint8_t* image, FrameView<const int16_t> codes, int16_t& maxCode,
                        int16_t& minCode, const OffsetCodeTuning& tuning, WorkBlock& work) {
    const int32_t n = codes.count();
    PlateauTables& tables = *work.take<PlateauTables>(1);
    uint8_t* scratch = work.take<uint8_t>(kIndexCount);
    int16_t* base = work.take<int16_t>(size_t(n));

    // The width bias keeps the kernel defined for any sigma (sigma 1 and below: the identity).
    std::array<uint32_t, 9> kernel{};
    buildSmoothingKernel(kernel, 3, 3, tuning.smoothingSigma, 0.01f);
    gaussianFilter3x3(base, codes.pixels, codes.width, codes.height, kernel.data());

    const PlateauTuning plateau = offsetCodeEqualisation(tuning);
    const PlateauResult r = equalisePlateau(plateau, base, n, tables);
    maxCode = wrapToInt16(r.kHigh - plateau.index.offset);
    minCode = wrapToInt16(r.kLow - plateau.index.offset);

    const uint8_t* byValue = mapByValue(tables.lut, plateau.index, r.valueMin, r.valueMax, scratch);
    if (tuning.detailGain == 0) {
        applyMap(image, base, n, byValue);
        return;
    }
    // Detail: what smoothing took away, limited to +-detailClamp, added with the Q10 weight
    // detailGain x 64 / 1024.
    const int32_t clamp = tuning.detailClamp;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t detail =
            std::clamp<int32_t>(wrapToInt16(codes.pixels[i] - base[i]), -clamp, clamp);
        const int64_t added = (int64_t(detail) * tuning.detailGain * 64) >> 10;
        image[i] = clampToByte(byValue[base[i]] + added);
    }
}

bool mapOffsetCodesWindow(uint8_t* image, FrameView<const int16_t> codes, int16_t highCode,
                          int16_t lowCode) {
    const int32_t n = codes.count();
    if (highCode <= lowCode) {
        std::fill(image, image + n, uint8_t(0));
        return false;
    }
    mapWindowQ9(image, codes.pixels, n, highCode, lowCode);
    return true;
}

}  // namespace kmm
