// The two AGC tunings as one table, and the AGC pass: equalisation table, then one look-up
// and one detail add per pixel.
#include "y16map/plateau_agc.h"

#include <algorithm>

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
// byValue[v] is the table value of Y16 value v.
template <bool Wrap16>
void applyByValue(uint8_t* dst, const int16_t* src, const int16_t* detail, int64_t count,
                  const uint8_t* byValue, int32_t detailWeight) {
    constexpr int64_t kBlock = 4096;
    for (int64_t start = 0; start < count; start += kBlock) {
        const int64_t end = std::min(count, start + kBlock);
        for (int64_t i = start; i < end; ++i) dst[i] = byValue[src[i]];
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
                   int32_t height, const int16_t* detail, AgcTables& tables) {
    const int64_t count = int64_t(width) * height;
    const PlateauResult r = equalisePlateau(params.equalisation, src, count, tables.equalisation);
    applyAgcTable(params, dst, src, detail, count, tables.equalisation.lut, r.valueMin,
                  r.valueMax, tables.byValue);
}

void applyAgcTable(const AgcParams& params, uint8_t* dst, const int16_t* src,
                   const int16_t* detail, int64_t count, const uint8_t* lut, int16_t valueMin,
                   int16_t valueMax, uint8_t* byValue) {
    const GreyIndexMapping mapping = params.equalisation.index;
    // A table on the plain value scale is read straight; any other (halved, or floored at
    // index 0) is first re-indexed by value over the frame's values, so that every pixel
    // costs one look-up.
    const uint8_t* table = lut + mapping.offset;
    if (mapping.halved || valueMin + mapping.offset < 0) {
        for (int32_t v = valueMin; v <= valueMax; ++v) {
            byValue[v + 32768] = lut[greyIndex(int16_t(v), mapping)];
        }
        table = byValue + 32768;
    }
    if (params.detailSumIn16Bits) {
        applyByValue<true>(dst, src, detail, count, table, params.detailWeight);
    } else {
        applyByValue<false>(dst, src, detail, count, table, params.detailWeight);
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
