// The automatic gain control of the Y16 display: plateau equalisation blended with a linear
// stretch, plus twice the detail layer, in two tunings chosen through the model registry.
#pragma once

#include <cstdint>
#include <optional>

#include "common/plateau_equalisation.h"
#include "registry/model_registry.h"

namespace kmm {

struct AgcParams {
    PlateauTuning equalisation;
    int32_t detailWeight;               // multiple of the detail layer added to the table value
    bool detailSumIn16Bits;             // the sum wraps in 16 bits before the 8-bit clamp
    std::optional<float> sharpenStrength;  // unsharp mask on the result, or none
};

// The tuning of a registry AGC variant; null for AgcVariant::None.
const AgcParams* agcParams(AgcVariant variant);

// The working tables of one AGC run: the equalisation's, and its table re-indexed by Y16.
struct AgcTables {
    PlateauTables equalisation;
    uint8_t byValue[kIndexCount];
};

// The equalisation table of the frame, addressed by Y16 value.
const uint8_t* equalisedTable(const AgcParams& params, const int16_t* src, int64_t count,
                              AgcTables& tables);

// Maps count Y16 values into dst: the equalisation table of the frame plus detailWeight
// times detail[i], clamped to 0..255. Values below -16384 on the halved index scale map as
// -16384.
void mapPlateauAgc(const AgcParams& params, uint8_t* dst, const int16_t* src, int64_t count,
                   const int16_t* detail, AgcTables& tables);

}  // namespace kmm
