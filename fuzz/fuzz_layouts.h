// The leading record of each fuzz target's input, read whole; the data after it (frame
// samples, curve entries, blocks) is sized by the record. make_seeds writes the same records
// in front of crops of the real frames, so the layouts live here once.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"
#include "KModuleMeasurePipeline.h"
#include "KModuleMeasureRadiometry.h"

namespace kmm::fuzz {

// index below kRegistryPicks: registry row index % rows; otherwise the name bytes, cut at
// (index - kRegistryPicks) % 12.
inline constexpr uint8_t kRegistryPicks = 192;
struct ModelPick {
    uint8_t index;
    char name[11];
};

// Y16Mapping_dll; then width x height int16 samples.
struct Y16MapInput {
    ModelPick model;
    int16_t width, height, maxY16, minY16;
    uint8_t autoRange, nullLimits;
};

// Y16MappingAD_dll; then width x height int16 samples.
struct PercentileInput {
    int16_t width, height, maxY16, minY16;
    int32_t contrast, brightness, autoRange;
};

// image_resize_dll; then srcWidth x srcHeight int16 samples.
struct ResizeInput {
    int16_t srcWidth, srcHeight;
    int8_t factor;
};

// imageMapping_dll; then width x height samples: int16 Y16 turned into temperatures as
// sample x scale + offset, or float32 temperatures as they are (rawFloats).
struct ImageMappingInput {
    ModelPick model;
    int16_t width, height;
    float tuning, maxTemp, minTemp, scale, offset;
    uint8_t autoRange, rawFloats;
};

// The calibration-curve functions; then 4 x curveLength uint16 curve entries.
struct CalibrationInput {
    uint16_t y16;
    int16_t curveLength;
    int8_t curveType;
    uint8_t high;
    float temperature;
    MeasureState state;
    ParaConfig config;
    float breakpoints[10];
    uint8_t count;
    float scalars[7];
    uint32_t setCurveType;
};

// getNewTemperature_dll; nothing follows.
struct CorrectionInput {
    ModelPick model;
    float temperature, oldEmissivity, newEmissivity, oldDistance, newDistance, oldReflected,
        newReflected;
    DeviceCorrectionParam record;
    uint8_t nullRecord;
};

// The closed-library exports with the stand-in's faults; then the frame (width x height plus
// extraSamples uint16), scene A, B and C and the parameter line (their lengths), and the
// calibration block (calibLength bytes, or the stand-in's own block, or one longer than its
// room, by calibration).
struct PyroInput {
    uint8_t form;  // which export: matrix, matrix record, point, Y16, grey (auto, manual,
                   // record auto, record manual), fire
    ModelPick model;
    int16_t width, height, extraSamples;
    int16_t calibLength, sceneALength, sceneBLength, sceneCLength, paramLineLength;
    uint8_t calibration;  // 0: the input's bytes, 1: the stand-in's block, 2: too long
    uint8_t faults;       // bit 0 init fails, 1 scene refused, 2 window declined, 3 a fixed
                          // library Y16, 4 a throw from the library function throwIn
    uint8_t throwIn;
    int16_t libraryY16;
    uint16_t pointY16;
    float measure[3], pointExtra, temperature, maxTemp, minTemp;
    int8_t fireMode, drcSetIndex;
    int32_t drcParams[4];
};

// The kmm_ radiometry exports; then width x height uint16 raw counts, then as many float32
// temperatures. The constants and the scene are arbitrary doubles (NaN, infinities included).
struct RadiometryInput {
    kmm_planck_constants planck;
    kmm_radiometric_scene scene;
    int16_t width, height;
    double raw, celsius;
    uint8_t nulls;  // bit 0 null constants, 1 null scene, 2 null frame, 3 null output
};

// The kmm_pipeline API: a pipeline of width x height at zoom, then PipelineCall records up to
// the input's end, each followed by what it reads.
struct PipelineInput {
    int16_t width, height;
    float zoom;
};

// One call, which % kPipelineCalls, in the order of the header: the setters, the two loads
// (load_flat_field: a width x height uint16 frame for each of dark, gain and raw whose bit in
// `on` (1, 2, 4) is clear; load_lut: 256 bytes), run (the width x height int16 frame; a buffer
// of exactly the bytes kmm_pipeline_output gives, one short when values[0] is odd) and
// kmm_colour_image (a grey image of side(values[0]) x side(values[1]) bytes; palette
// values[2], format high % 16, a buffer of 4 bytes a pixel when `on` is odd, else of
// low % (4 x pixels + 1)).
inline constexpr uint8_t kPipelineCalls = 24;
struct PipelineCall {
    uint8_t which;
    int32_t on;  // the switch as given: 0 and 1 are valid
    uint32_t values[3];
    float amount;
    int16_t high, low;
};

}  // namespace kmm::fuzz
