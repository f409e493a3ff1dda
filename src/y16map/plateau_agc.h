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
    uint8_t byValue[kGreyIndexCount];
};

// Maps width * height Y16 values into dst: the equalisation table of the frame plus
// detailWeight times detail[i], clamped to 0..255. Values below -16384 on the halved index
// scale map as -16384.
void mapPlateauAgc(const AgcParams& params, uint8_t* dst, const int16_t* src, int32_t width,
                   int32_t height, const int16_t* detail, AgcTables& tables);

// The per-pixel step of mapPlateauAgc with a table already built over the frame's indices:
// dst[i] = clamp(lut[index(src[i])] + detailWeight * detail[i]), the sum wrapped to 16 bits
// first where the tuning says so. Every src value lies in valueMin..valueMax; byValue
// (65536 entries) is scratch for the re-indexed table.
void applyAgcTable(const AgcParams& params, uint8_t* dst, const int16_t* src,
                   const int16_t* detail, int64_t count, const uint8_t* lut, int16_t valueMin,
                   int16_t valueMax, uint8_t* byValue);
// The same one pixel at a time, as written above: the reference applyAgcTable is tested
// against.
void applyAgcTableReference(const AgcParams& params, uint8_t* dst, const int16_t* src,
                            const int16_t* detail, int64_t count, const uint8_t* lut);

}  // namespace kmm
