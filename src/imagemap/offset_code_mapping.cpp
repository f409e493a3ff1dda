// Offset-code grey mapping: the smoothing kernel, the automatic mapping (smoothing, detail
// layer, plateau equalisation of the smoothed frame) and the linear window.
#include "imagemap/offset_code_mapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <new>

#include "common/numeric.h"
#include "common/pixel_count.h"
#include "common/plateau_equalisation.h"
#include "imagemap/pipeline/neighbourhood_filters.h"

namespace kmm {

void buildSmoothingKernel(int32_t kernel[9], int32_t sigma) {
    if (!kernel) return;
    const float s = static_cast<float>(sigma);
    // Always >= 0.01, so the exponent is finite and the centre weight is 1.
    const float d = (s + s) * s / 100.0f + 0.01f;
    float total = 0.0f;
    for (int dy = -1, i = 0; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx, ++i) {
            const float e = std::exp(static_cast<float>(-(dx * dx + dy * dy)) / d);
            total += e;
            kernel[i] = static_cast<int32_t>(e * 4096.0f + 0.5f);
        }
    }
    // Normalising the rounded weights, not the exact ones, is why sigma 5 adds up to 4094.
    for (int i = 0; i < 9; ++i) {
        kernel[i] = static_cast<int32_t>(static_cast<float>(kernel[i]) / total);
    }
}

void mapOffsetCodesAuto(uint8_t* image, const int16_t* codes, int32_t width, int32_t height,
                        int16_t* maxCode, int16_t* minCode, int32_t detailGain,
                        uint8_t detailClamp, const int32_t kernel[9], int32_t contrast,
                        int32_t brightness, int32_t rangeKnee, int32_t spanLimit,
                        int32_t equaliseCentre, int32_t plateau, int32_t highDiscard,
                        int32_t lowDiscard) {
    const int32_t n = pixelCount(width, height);
    if (n == 0 || !image || !codes || !maxCode || !minCode || !kernel) return;

    // The pipeline's 3 x 3 filter does the smoothing. Its 32-bit sums are exact for weights
    // within 0..4096, which every kernel of buildSmoothingKernel keeps; others are clamped.
    std::array<uint32_t, 512> weights{};
    for (int i = 0; i < 9; ++i) weights[i] = uint32_t(std::clamp(kernel[i], 0, 4096));
    // One block for the call's work memory (tables, bordered frame, smoothed frame): the heap
    // keeps a single freed block for the next call, where three separate ones were handed back
    // to the kernel and faulted in again on every call (about four times the mapping's cost).
    static_assert(sizeof(PlateauTables) % alignof(int16_t) == 0);
    const size_t borderedCount = (size_t(width) + 2) * (size_t(height) + 2);
    auto block = std::make_unique_for_overwrite<std::byte[]>(
        sizeof(PlateauTables) + (borderedCount + size_t(n)) * sizeof(int16_t));
    auto* tables = new (block.get()) PlateauTables;
    auto* bordered = reinterpret_cast<int16_t*>(block.get() + sizeof(PlateauTables));
    int16_t* base = bordered + borderedCount;
    gaussianFilter(base, codes, width, height, 3, weights, bordered);

    // Offset codes differ from the Y16 AGC in three places: the plateau drops to a quarter on
    // ranges below 128, the middle linear weight stays at 820, and the equalised term is
    // normalised at the upper percentile, so codes above it run past the span. A small spot
    // far above the range saturates the terms and shows white rather than wrapping to black.
    PlateauTuning tuning;
    tuning.index = {32768, false};
    tuning.contrast = contrast;
    tuning.brightness = brightness;
    tuning.rangeKnee = rangeKnee;
    tuning.spanLimit = spanLimit;
    tuning.equaliseCentre = equaliseCentre;
    tuning.plateau = plateau;
    tuning.narrowPlateauBelow = 128;
    tuning.lowDiscard = lowDiscard;
    tuning.highDiscard = highDiscard;
    tuning.maxGain = 4;
    tuning.midWeightRise = 0;
    tuning.totalAt = TotalAt::UpperPercentile;
    tuning.termOverflow = TermOverflow::Saturate;
    const PlateauResult r = equalisePlateau(tuning, base, n, *tables);
    *maxCode = wrapToInt16(r.kHigh - tuning.index.offset);
    *minCode = wrapToInt16(r.kLow - tuning.index.offset);

    const uint8_t* lut = tables->lut;
    if (detailGain == 0) {
        for (int32_t i = 0; i < n; ++i) image[i] = lut[greyIndex(base[i], tuning.index)];
        return;
    }
    // Detail: what smoothing took away, limited to +-detailClamp, added with the Q10 weight
    // detailGain x 64 / 1024.
    const int32_t clamp = detailClamp;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t detail = std::clamp<int32_t>(wrapToInt16(codes[i] - base[i]), -clamp, clamp);
        const int64_t added = (int64_t(detail) * detailGain * 64) >> 10;
        image[i] = clampToByte(lut[greyIndex(base[i], tuning.index)] + added);
    }
}

bool mapOffsetCodesWindow(uint8_t* image, const int16_t* codes, int32_t width, int32_t height,
                          int16_t highCode, int16_t lowCode) {
    const int32_t n = pixelCount(width, height);
    if (n == 0 || !image || !codes) return false;
    const int32_t diff = int32_t(highCode) - lowCode;
    if (diff <= 0) {
        std::fill(image, image + n, uint8_t(0));
        return false;
    }
    // 130560 = 255 x 512; truncating the scale is why a window 1000 wide tops out at 253.
    const int32_t scale = 130560 / diff;
    for (int32_t i = 0; i < n; ++i) {
        const int32_t c = codes[i];
        image[i] = c < lowCode ? 0 : c > highCode ? 255 : clampToByte(((c - lowCode) * scale) >> 9);
    }
    return true;
}

}  // namespace kmm
