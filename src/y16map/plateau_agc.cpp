// The two AGC tunings as one table, and the AGC pass: equalisation table, then one look-up
// and one detail add per pixel.
#include "y16map/plateau_agc.h"

#include <algorithm>
#include <memory>

#include "common/numeric.h"

namespace kmm {
namespace {

// Half resolution halves Y16 before indexing (DV13..DV16 family) and equalises from grey 0;
// full resolution works on raw Y16 with a narrower, centred equalised span, then sharpens.
const AgcParams kHalfResolution{
    {.index = {8192, true}, .contrast = 235, .brightness = 100, .rangeKnee = 64,
     .spanLimit = 256, .equaliseCentre = std::nullopt, .plateau = 100, .narrowPlateauBelow = 0,
     .lowDiscard = 5, .highDiscard = 5, .maxGain = 4, .midWeightRise = 204,
     .totalAt = TotalAt::HighestIndex, .termOverflow = TermOverflow::Wrap,
     .countLimit = 65535},
    2, false, std::nullopt};

const AgcParams kFullResolution{
    {.index = {32768, false}, .contrast = 255, .brightness = 100, .rangeKnee = 128,
     .spanLimit = 180, .equaliseCentre = 145, .plateau = 20, .narrowPlateauBelow = 0,
     .lowDiscard = 5, .highDiscard = 5, .maxGain = 4, .midWeightRise = 204,
     .totalAt = TotalAt::HighestIndex, .termOverflow = TermOverflow::Wrap,
     .countLimit = 65535},
    2, true, 1.0f};

// The look-up alone, a gather the compiler cannot vectorise, then the detail add over the
// same block, which it can: two light passes beat one heavy one. Blocks stay in L1.
template <bool Halved, bool Wrap16>
void applyTable(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
                const uint8_t* lut, int32_t offset, int32_t detailWeight) {
    const GreyIndexMapping mapping{offset, Halved};
    constexpr int64_t kBlock = 4096;
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t end = std::min(count, start + kBlock);
        for (int64_t i = start; i < end; ++i) dst[i] = lut[greyIndex(src[i], mapping)];
        for (int64_t i = start; i < end; ++i) {
            const int32_t g = dst[i] + detailWeight * detail[i];
            dst[i] = clampToByte(Wrap16 ? int32_t(wrapToInt16(g)) : g);
        }
    }
}

}  // namespace

const AgcParams* agcParams(AgcVariant variant) {
    switch (variant) {
        case AgcVariant::HalfResolution: return &kHalfResolution;
        case AgcVariant::FullResolutionSharpened: return &kFullResolution;
        case AgcVariant::None: break;
    }
    return nullptr;
}

void mapPlateauAgc(const AgcParams& params, uint8_t* dst, const int16_t* src, int32_t width,
                   int32_t height, const int16_t* detail) {
    const int64_t count = int64_t(width) * height;
    const auto tables = std::make_unique_for_overwrite<PlateauTables>();
    equalisePlateau(params.equalisation, src, count, *tables);
    applyAgcTable(params, dst, src, detail, count, tables->lut);
}

void applyAgcTable(const AgcParams& params, uint8_t* dst, const int16_t* src,
                   const int16_t* detail, int64_t count, const uint8_t* lut) {
    const PlateauTuning& tuning = params.equalisation;
    const int32_t offset = tuning.index.offset;
    const int32_t weight = params.detailWeight;
    if (tuning.index.halved) {
        params.detailSumIn16Bits ? applyTable<true, true>(dst, src, detail, count, lut, offset, weight)
                                 : applyTable<true, false>(dst, src, detail, count, lut, offset, weight);
    } else {
        params.detailSumIn16Bits ? applyTable<false, true>(dst, src, detail, count, lut, offset, weight)
                                 : applyTable<false, false>(dst, src, detail, count, lut, offset, weight);
    }
}

void applyAgcTableReference(const AgcParams& params, uint8_t* dst, const int16_t* src,
                            const int16_t* detail, int64_t count, const uint8_t* lut) {
    for (int64_t i = 0; i < count; ++i) {
        int32_t g = lut[greyIndex(src[i], params.equalisation.index)] + params.detailWeight * detail[i];
        if (params.detailSumIn16Bits) g = wrapToInt16(g);
        dst[i] = clampToByte(g);
    }
}

}  // namespace kmm
