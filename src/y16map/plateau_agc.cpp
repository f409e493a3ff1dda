// The two AGC tunings as one table, and the AGC pass: the equalisation table of the frame,
// then one look-up and one detail add per pixel.
#include "y16map/plateau_agc.h"

#include "kernels/grey_map.h"

namespace kmm {
namespace {

// Half resolution halves Y16 before indexing (DV13..DV16 family) and equalises from grey 0;
// full resolution works on raw Y16 with a narrower, centred equalised span, then sharpens.
// Both keep the default gain limit of 4, which their range knees never let the gain reach.
const AgcParams kHalfResolution{
    {.index = {8192, true}, .contrast = 235, .brightness = 100, .rangeKnee = 64,
     .spanLimit = 256, .equaliseCentre = std::nullopt, .plateau = 100, .narrowPlateauBelow = 0,
     .lowDiscard = 5, .highDiscard = 5, .midWeightRise = 204,
     .totalAt = TotalAt::HighestIndex, .termOverflow = TermOverflow::Wrap,
     .countLimit = 65535},
    2, false, std::nullopt};

const AgcParams kFullResolution{
    {.index = {32768, false}, .contrast = 255, .brightness = 100, .rangeKnee = 128,
     .spanLimit = 180, .equaliseCentre = 145, .plateau = 20, .narrowPlateauBelow = 0,
     .lowDiscard = 5, .highDiscard = 5, .midWeightRise = 204,
     .totalAt = TotalAt::HighestIndex, .termOverflow = TermOverflow::Wrap,
     .countLimit = 65535},
    2, true, 1.0f};

}  // namespace

const AgcParams* agcParams(AgcVariant variant) {
    switch (variant) {
        case AgcVariant::HalfResolution: return &kHalfResolution;
        case AgcVariant::FullResolutionSharpened: return &kFullResolution;
        case AgcVariant::None: break;
    }
    return nullptr;
}

const uint8_t* equalisedTable(const AgcParams& params, const int16_t* src, int64_t count,
                              AgcTables& tables) {
    const PlateauResult r = equalisePlateau(params.equalisation, src, count, tables.equalisation);
    // Every pixel then costs one look-up: the halved scale is re-indexed by value first.
    return mapByValue(tables.equalisation.lut, params.equalisation.index, r.valueMin, r.valueMax,
                      tables.byValue);
}

void mapPlateauAgc(const AgcParams& params, uint8_t* dst, const int16_t* src, int64_t count,
                   const int16_t* detail, AgcTables& tables) {
    applyMapWithDetail(dst, src, detail, count, equalisedTable(params, src, count, tables),
                       params.detailWeight, params.detailSumIn16Bits);
}

}  // namespace kmm
