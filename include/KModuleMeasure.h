/*
 * KModuleMeasure: temperatures, Y16 values, grey and colour images for thermal cameras.
 *
 * The public interface: every exported function and every record that crosses the library
 * boundary. Usable from C11 and C++. Every export is stateless and synchronous unless its
 * comment says otherwise; outputs that are not computed keep what the caller put there.
 */
#ifndef KMODULEMEASURE_H
#define KMODULEMEASURE_H

#include <stddef.h>
#include <stdint.h>
#ifndef __cplusplus
#include <stdbool.h>
#endif

#include "KModuleMeasureExport.h"

#ifdef __cplusplus
#define KMM_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#define KMM_EXTERN_C_BEGIN extern "C" {
#define KMM_EXTERN_C_END }
#else
#define KMM_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#define KMM_EXTERN_C_BEGIN
#define KMM_EXTERN_C_END
#endif

/* ------------------------------------------------------------------------------------------ */
/* Records                                                                                     */
/* ------------------------------------------------------------------------------------------ */

/* Device record of the temperature correction: thirteen 32-bit fields, read only. */
typedef struct DeviceCorrectionParam {
    int32_t scaleSetting;     /* scale factor k = 1 - (scaleSetting - 60) / 5000; 60 = none   */
    float emissivity;         /* emissivity of the device's own correction, fraction          */
    float reflectedTemp;      /* reflected temperature of the device's own correction, degC   */
    float compTemp;           /* compensation temperature, degC                                */
    int32_t compMode;         /* 0: reference 3.0 degC, 1: reference 23.0 degC, else none;
                                 short-range models: 0 = distance set 0, else set 1           */
    int32_t compOffset;       /* compensation offset, units of 0.0001                         */
    int32_t compGain;         /* compensation gain, units of 0.0001                           */
    int32_t distQuadPerDist;  /* distance model, quadratic term per distance, 1e-9            */
    int32_t distQuad;         /* distance model, quadratic term, 1e-9                         */
    int32_t distLinPerDist;   /* distance model, linear term per distance, 1e-6               */
    int32_t distLin;          /* distance model, linear term, 1e-6                            */
    int32_t distConstPerDist; /* distance model, constant term per distance, 0.001            */
    int32_t distConst;        /* distance model, constant term, 0.001                         */
} DeviceCorrectionParam;

/* Camera measurement state for the calibration-curve functions (152 bytes, passed by value).
 * Fields ending in High/Low are used by the high/low range functions respectively. */
typedef struct MeasureState {
    uint8_t reserved0[4];
    int32_t driftEnable;        /* non-zero: reference-drift correction                       */
    int32_t ambientEnable;      /* non-zero: ambient-temperature correction                   */
    int32_t twoAxisMode;        /* exactly 1: blend along both axes                           */
    int32_t emissivityEnable;   /* non-zero: emissivity correction                            */
    int32_t transmissionEnable; /* non-zero: transmission correction                          */
    int32_t driftSlopeMode;     /* type 1: reference slope; type 2: slope blend               */
    int32_t driftBlendDone;     /* type 2: slope blend applied (working flag)                 */
    int16_t driftY16Prev;       /* reference Y16 at the earlier drift sample; 0 = none        */
    int16_t driftY16Last;       /* reference Y16 at the latest drift sample                   */
    float ambientBaseTemp;      /* ambient temperature at calibration, degC                   */
    uint8_t reserved40[4];
    float curveRefTempAlt;      /* curve-offset reference temperature, types 1 and 2, degC    */
    float curveRefTemp;         /* curve-offset reference, types 0 and 3; ambient now, degC   */
    float driftTempNow;         /* reference temperature now, degC                            */
    float driftTempLast;        /* reference temperature at the latest drift sample, degC     */
    float driftTempPrev;        /* reference temperature at the earlier drift sample, degC    */
    float segmentKey;           /* value located among the breakpoints                        */
    float ambientCoefHigh;      /* ambient coefficient, Y16 per degC                          */
    float ambientCoefLow;
    float gain0;                /* Y16 gain, curves 0 and 2                                   */
    float offset0;              /* temperature offset, curves 0 and 2, degC                   */
    float gain1;                /* Y16 gain, curves 1 and 3                                   */
    float offset1;              /* temperature offset, curves 1 and 3, degC                   */
    float driftSlopeRefHigh;    /* reference drift slope, Y16 per degC                        */
    float driftSlopeRefLow;
    float driftSlopeHigh;       /* current drift slope (working value)                        */
    float driftSlopeLow;
    uint8_t reserved108[12];
    uint8_t segmentIndex;       /* breakpoint segment that holds segmentKey                   */
    uint8_t reserved121[3];
    float settingKey;           /* value located between settingLow and settingHigh           */
    uint8_t reserved128[24];
} MeasureState;

/* Curve configuration (92 bytes, passed by value); filled by SetParaConfig_dll. */
typedef struct ParaConfig {
    uint8_t breakpointCount;    /* valid breakpoints, at most 10                              */
    uint8_t reserved1[3];
    float breakpoints[10];      /* ascending values of the first blend axis                   */
    uint8_t formatTag;          /* 2 once SetParaConfig_dll has filled the record             */
    uint8_t reserved45[3];
    float settingLow;           /* lower end of the second blend axis                         */
    float settingHigh;          /* upper end of the second blend axis                         */
    uint8_t reserved56[8];
    float emissivity;           /* target emissivity, fraction                                */
    float transmission;         /* transmission of the optical path, fraction                 */
    float reflectedTemp;        /* reflected temperature, degC                                */
    float curveStartTemp;       /* temperature of entry 0 of every curve, degC                */
    float extraParam;           /* stored, not used by the curve evaluation                   */
    uint8_t reserved84[8];
} ParaConfig;

/* Opaque 92-byte record taken by value by the calibration-curve temperature functions and
 * not read by them. */
typedef struct TempCalcInfo {
    uint8_t bytes[92];
} TempCalcInfo;

/* Input record of the closed-library functions (104 bytes on 64-bit hosts). A block is present
 * when its length is positive; a null sceneC or paramLine leaves that block absent. */
typedef struct PYRO_PARAM {
    uint32_t width;
    uint32_t height;
    const uint16_t* y16Data;    /* Y16 frame, row by row                                      */
    int32_t y16Count;           /* samples in y16Data (normally width * height)               */
    const void* calibData;      /* served to the closed library on request (required)         */
    int32_t calibLength;
    const void* sceneB;         /* second block of the scene record (required)                */
    int32_t sceneBLength;
    const void* sceneA;         /* first block of the scene record (required)                 */
    int32_t sceneALength;
    const void* sceneC;         /* third block of the scene record (optional)                 */
    int32_t sceneCLength;
    const void* paramLine;      /* parameter line; also read by this library                  */
    int32_t paramLineLength;
} PYRO_PARAM;

/* Measurement settings handed to the closed library: measure1..measure3 are floats, the
 * others 32-bit values whose meaning is the closed library's. */
typedef struct PYRO_MEASUREPARAM {
    float measure1;
    float measure2;
    float measure3;
    int32_t measure4;
    int32_t measure5;
    int32_t measure6;
} PYRO_MEASUREPARAM;

KMM_STATIC_ASSERT(sizeof(DeviceCorrectionParam) == 52, "DeviceCorrectionParam is 13 fields");
KMM_STATIC_ASSERT(offsetof(DeviceCorrectionParam, compMode) == 16, "compMode at 16");
KMM_STATIC_ASSERT(offsetof(DeviceCorrectionParam, distConst) == 48, "distConst at 48");

KMM_STATIC_ASSERT(sizeof(MeasureState) == 152, "MeasureState is 152 bytes");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftEnable) == 4, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, ambientEnable) == 8, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, twoAxisMode) == 12, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, emissivityEnable) == 16, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, transmissionEnable) == 20, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftSlopeMode) == 24, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftBlendDone) == 28, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftY16Prev) == 32, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftY16Last) == 34, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, ambientBaseTemp) == 36, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, curveRefTempAlt) == 44, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, curveRefTemp) == 48, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftTempNow) == 52, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftTempLast) == 56, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftTempPrev) == 60, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, segmentKey) == 64, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, ambientCoefHigh) == 68, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, ambientCoefLow) == 72, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, gain0) == 76, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, offset0) == 80, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, gain1) == 84, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, offset1) == 88, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftSlopeRefHigh) == 92, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftSlopeRefLow) == 96, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftSlopeHigh) == 100, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, driftSlopeLow) == 104, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, segmentIndex) == 120, "MeasureState layout");
KMM_STATIC_ASSERT(offsetof(MeasureState, settingKey) == 124, "MeasureState layout");

KMM_STATIC_ASSERT(sizeof(ParaConfig) == 92, "ParaConfig is 92 bytes");
KMM_STATIC_ASSERT(offsetof(ParaConfig, breakpointCount) == 0, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, breakpoints) == 4, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, formatTag) == 44, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, settingLow) == 48, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, settingHigh) == 52, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, emissivity) == 64, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, transmission) == 68, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, reflectedTemp) == 72, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, curveStartTemp) == 76, "ParaConfig layout");
KMM_STATIC_ASSERT(offsetof(ParaConfig, extraParam) == 80, "ParaConfig layout");

KMM_STATIC_ASSERT(sizeof(TempCalcInfo) == 92, "TempCalcInfo is 92 bytes");

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
KMM_STATIC_ASSERT(sizeof(PYRO_PARAM) == 104, "PYRO_PARAM is 104 bytes");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, width) == 0, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, height) == 4, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, y16Data) == 8, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, y16Count) == 16, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, calibData) == 24, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, calibLength) == 32, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneB) == 40, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneBLength) == 48, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneA) == 56, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneALength) == 64, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneC) == 72, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, sceneCLength) == 80, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, paramLine) == 88, "PYRO_PARAM layout");
KMM_STATIC_ASSERT(offsetof(PYRO_PARAM, paramLineLength) == 96, "PYRO_PARAM layout");
#endif

KMM_STATIC_ASSERT(sizeof(PYRO_MEASUREPARAM) == 24, "PYRO_MEASUREPARAM is six 32-bit fields");
KMM_STATIC_ASSERT(offsetof(PYRO_MEASUREPARAM, measure2) == 4, "PYRO_MEASUREPARAM layout");

/* ------------------------------------------------------------------------------------------ */
/* Exported functions                                                                          */
/* Model names are NUL-terminated and matched exactly (byte for byte, case-sensitive).         */
/* ------------------------------------------------------------------------------------------ */

KMM_EXTERN_C_BEGIN

/* ---- Temperature correction -------------------------------------------------------------- */

/* Recomputes one temperature (degC) measured under old emissivity (fraction), distance and
 * reflected temperature (degC) for new ones, writing it to *result.
 * Short-range models use a narrow signal table (to 850.0 degC) and a fixed distance model,
 * full-range models a wide table (to 2100.0 degC) and the device record's distance model and
 * compensation; any other name writes the input back unchanged.
 * Bad input: null model or result, or a null param for a listed model: nothing is written.
 * Non-finite intermediates (a scale factor of 0, a zero compensation denominator, a negative
 * discriminant) saturate when they become table tenths: NaN reads as 0 tenths, values beyond
 * the 32-bit range as its nearest end, then kept in 16 bits. A computed result is therefore
 * always finite, whatever the inputs; the paths that hand the temperature back unchanged (an
 * unlisted name, unchanged conditions) return a NaN or infinite temperature as it came. */
KMM_API void getNewTemperature_dll(const char* model, float* result, float temperature,
                                   float oldEmissivity, float newEmissivity, float oldDistance,
                                   float newDistance, float oldReflectedTemp,
                                   float newReflectedTemp, const DeviceCorrectionParam* param);

/* ---- Calibration-curve temperatures ------------------------------------------------------ */
/* A curve block is four calibration curves of curveLength little-endian uint16 entries each,
 * one after another; entry i of a curve is the Y16 at curveStartTemp + i / 10 degC (plus the
 * curve set's offset). Curves 0/1 belong to the lower breakpoint of the segment, 2/3 to the
 * upper; curves 0/2 to settingLow (gain0, offset0), 1/3 to settingHigh (gain1, offset1).
 * The records are taken by value and never written back. Common to these functions:
 *  - segmentIndex 0 uses curves 2/3 only; an index at or above breakpointCount (or at or above
 *    10) uses curves 0/1 only, so no breakpoint beyond the array is read;
 *  - equal neighbouring breakpoints (a segment of zero width) weigh both ends 0.5;
 *  - a NaN or infinite key, breakpoint or setting end propagates into the weights (the
 *    temperature becomes NaN; a Y16 conversion of NaN gives 0). */

/* Returned by ReverseCalculationLsb_dll when it computes nothing. A computed value can only
 * reach it when a segment key far outside its segment makes a first-axis weight huge. */
#define KMM_NO_Y16 INT32_MIN

/* Temperature (degC) of one raw value through the four curves, high range (the ...High fields
 * of state): curves evaluated for the segment, blended (along both axes when twoAxisMode is
 * exactly 1), then corrected for emissivity (config.emissivity <= 0.98 and emissivityEnable:
 * a fitted polynomial for curve types 0, 1, 3, the wide signal table for type 2) and for
 * transmission (0.5 < transmission < 1.0 and transmissionEnable).
 * y16 is read as a signed 16-bit value: 32768 and above are negative. reserved and info are
 * not read. Curve type 2 blends the drift slope toward the reference on the first curve the
 * call evaluates only (driftBlendDone in the call's copy of state).
 * Bad input: null curves, curveLength <= 0 or a curveType outside 0..3: returns NaN. */
KMM_API float GetHighTemperature_dll(uint16_t y16, const uint16_t* curves, int32_t curveLength,
                                     const void* reserved, TempCalcInfo info, MeasureState state,
                                     ParaConfig config, int32_t curveType);

/* As GetHighTemperature_dll, with the ...Low fields of state (low range). */
KMM_API float GetLowTemperature_dll(uint16_t y16, const uint16_t* curves, int32_t curveLength,
                                    const void* reserved, TempCalcInfo info, MeasureState state,
                                    ParaConfig config, int32_t curveType);

/* Fills *config: settingHigh = high, settingLow = low, curveStartTemp = startTemp (degC),
 * extraParam = extra, emissivity (fraction), reflectedTemp = reflected (degC), transmission
 * (fraction), breakpointCount = count, formatTag = 2, and breakpoints[0..count-1] copied from
 * values as raw 32-bit words (bit for bit). Every other byte of the record keeps its value.
 * Bad input: curveType outside 0..3, null config or values, or count above 10: the record is
 * left untouched. */
KMM_API void SetParaConfig_dll(ParaConfig* config, const float* values, uint8_t count, float high,
                               float low, float startTemp, float extra, float emissivity,
                               float reflected, float transmission, uint32_t curveType);

/* The Y16 value the camera reports for temperature (degC): every curve looked up at the
 * temperature, its reference entry, ambient and drift terms and gain taken off, and the four
 * answers blended with the weights of GetHighTemperature_dll. high selects the ...High or
 * ...Low fields of state. Curve type 0 first takes off the transmission and emissivity
 * corrections (polynomial inverted) and uses curveRefTemp, the reference drift slope and the
 * opposite signs; types 1, 2, 3 use curveRefTempAlt and the current drift slopes as passed.
 * A temperature off either end of a curve reads 16383 for that curve. reserved is not read.
 * Choices: the reference entry is curve[refIndex] for 0 <= refIndex < curveLength (entry 0
 * included) and 0 outside; a zero gain makes its curves contribute 0; values beyond the 32-bit
 * range saturate (NaN gives 0), also before a step keeps them in 16 bits.
 * Bad input: null curves, curveLength <= 0 or a curveType outside 0..3: returns KMM_NO_Y16. */
KMM_API int32_t ReverseCalculationLsb_dll(float temperature, const uint16_t* curves,
                                          int32_t curveLength, bool high, uint8_t reserved,
                                          MeasureState state, ParaConfig config,
                                          int32_t curveType);

/* ---- Y16 grey mapping -------------------------------------------------------------------- */

/* Maps a width x height frame of signed Y16 values (row-major) to a grey image of
 * width x height bytes.
 * autoRange false: the window *minY16..*maxY16 (Y16, read only), for any model name: below it
 * black, above it white, in between linear in Q9 steps of trunc(130560 / (max - min)), so a
 * wide window's top may stay just below 255 (0..1000 gives 253 at 1000). max < min gives a
 * black image; max == min a two-level one (255 from min upward).
 * autoRange true: automatic gain control chosen by model; DV13..DV16 (and -W): plateau
 * equalisation of halved Y16 blended with a linear stretch, plus twice a detail layer;
 * DV17, DV18 (and -W): the same on full Y16 with a centred equalised span, then a 3 x 3
 * sharpening. Any other name: dst is left untouched.
 * Choices of ours, on the automatic paths:
 *  - frames narrower or shorter than 3 pixels get no detail layer (its kernels need a 3 x 3
 *    neighbourhood); the equalisation runs as usual and the sharpening copies them;
 *  - on DV13..DV16, Y16 values below -16384 are mapped as -16384 (they would index below the
 *    tables);
 *  - the equalised and linear terms, and on DV17/DV18 the table value plus detail, are kept
 *    in 16 bits as two's complement before the 8-bit clamp: values far outside the chosen
 *    range can wrap to another grey, as the fixed-point design does;
 *  - on frames of more than 65535 x 200 pixels whose saturated histogram counts cannot reach
 *    the 0.5 % ends, the range is the frame's own extremes.
 * Bad input: null src or dst, width or height <= 0, width x height beyond 32 bits, or
 * (manual) a null maxY16 or minY16: nothing is written; an allocation failure leaves dst
 * untouched. */
KMM_API void Y16Mapping_dll(const char* modelName, const int16_t* src, uint8_t* dst,
                            int32_t width, int32_t height, const int16_t* maxY16,
                            const int16_t* minY16, bool autoRange);

/* Maps a frame of width x height signed Y16 values to grey by one linear stretch:
 * g = trunc(v * gain / 1024) + offset, clamped to 0..255, gain = trunc(contrast * 1024 /
 * range) at most 8192 (Q10, 8.0), offset putting the frame mean (automatic) or the mean
 * strictly inside the window (manual; the window's middle when no pixel is inside) at
 * brightness.
 * autoRange non-zero: the limits are the values 655 pixels in from each end of the frame's
 * histogram, written to *maxY16 and *minY16; ranges under 128 get the gain divisor 256 - R.
 * autoRange zero: the limits are read from *maxY16 and *minY16 and not written.
 * Choices of ours:
 *  - automatic, frames of fewer than 655 pixels: the limits are the frame's own extremes;
 *  - automatic, Y16 values below -16384 count as -16384 when the limits are found (the mean
 *    uses the true values);
 *  - manual, *maxY16 < *minY16 (an empty window, including max = min - 1, whose range is 0):
 *    nothing is written;
 *  - the 32-bit products contrast * 1024 and v * gain wrap as two's complement (only a
 *    |contrast| beyond 2^21 or a gain below -65535 get there); any offset is safe.
 * Bad input: null src, dst, maxY16 or minY16, width or height <= 0, or width x height beyond
 * 32 bits: nothing is read or written; an allocation failure leaves dst and the limits
 * untouched. */
KMM_API void Y16MappingAD_dll(const int16_t* src, uint8_t* dst, int32_t contrast,
                              int32_t brightness, int32_t width, int32_t height,
                              int16_t* maxY16, int16_t* minY16, int32_t autoRange);

/* ---- Temperature-matrix image mapping and resize ----------------------------------------- */

/* Maps a width x height matrix of temperatures (degC, float, row-major) to a grey image of
 * width x height bytes. The model picks the family: DV01..DV06 and their -W variants offset
 * codes, DV07 and DV08 the image pipeline, every other name Kelvin codes.
 * autoRange true: the range comes from the data and is written to *maxTemp and *minTemp;
 * false: *maxTemp and *minTemp (degC) are the window. On return both hold the range used,
 * quantised to the family's code step (pipeline: 0.05 degC toward zero, written with and
 * without autoRange; offset codes: written only with autoRange).
 * tuning (pipeline family only): exactly 150.0 selects the standard tuning, any other value
 * (NaN included) the fine one, which smooths the codes of a manual window first.
 * Pipeline codes are degC x 20 truncated and kept in 16 bits: beyond +-1638.35 degC they
 * wrap.
 * Non-finite temperatures: +inf counts as the matrix's largest finite value, -inf and NaN as
 * its smallest, so they show as its hottest or coldest pixel and leave the automatic range
 * to the finite values; a matrix without a finite value maps as a uniform 0 degC matrix.
 * Keeps no state between calls: any number of calls may run on any threads at once.
 * Bad input: a null pointer, width or height <= 0, or width x height beyond 32 bits:
 * nothing is read or written; an allocation failure returns quietly. */
KMM_API void imageMapping_dll(const char* model, float tuning, const float* temperatures,
                              uint8_t* image, int32_t width, int32_t height, float* maxTemp,
                              float* minTemp, bool autoRange);

/* Enlarges a srcHeight x srcWidth frame of signed 16-bit values (Y16 or temperature codes,
 * row-major) by a whole factor along both axes into dst, which must hold
 * (srcHeight * factor) x (srcWidth * factor) values. Bilinear interpolation with 11-bit
 * weights, rounded toward minus infinity; the last source row and column are repeated, not
 * extrapolated; -32768 comes out as -32767 (factor 1 copies the frame otherwise).
 * Bad input: null dst or src, a source narrower or shorter than 2 or of more than 2^31 - 1
 * values, a factor below 1, or a result side beyond 2^31 - 1: nothing is written; an
 * allocation failure returns quietly.
 * The size of dst is the caller's responsibility. */
KMM_API void image_resize_dll(int16_t* dst, const int16_t* src, int32_t srcHeight,
                              int32_t srcWidth, int32_t factor);

/* ---- Closed-library (PYRO) functions ----------------------------------------------------- */

/* Every function of this section opens one instance of the closed library (libpyro.so) for
 * the call, hands it copies of the frame and blocks, runs one operation and closes it again.
 * The arguments after the model name are the fields of PYRO_PARAM in its order; a block is
 * present when its length is positive (sceneC and paramLine also need a non-null pointer).
 * Models of the standard list (DV19..DV33 with their S and -W variants, DV50..DV54) and the
 * fire list (DV34..DV39 and -W) need a paramLine of at least 822 bytes; its byte 152 holds
 * the range mode, and with range mode 1 this library corrects Y16 values by its own offset
 * (a signed 16-bit line in fields 172 and 792..820 of paramLine).
 * No instance is opened (and nothing written) when calibData, sceneA or sceneB is absent or
 * the library's init fails; nothing is written either when the library refuses the scene
 * blocks, or when calibData is longer than the room the library offers for it (the block is
 * refused whole). An output the call does not compute keeps what the caller put there.
 * An allocation failure, or an exception from the library, ends the call with the instance
 * closed and nothing written (one from closing the instance comes after the results are
 * complete, and they stand); none leaves the function.
 * Bad input, common to all: a null model name or output, width or height <= 0, a null
 * y16Data, y16Count below width x height or above 2^30 - 1 (its byte length must fit 32
 * bits), a null calibData, sceneA or sceneB with a positive length, or a listed model with a
 * paramLine absent or shorter than 822 bytes: the call returns at once, calls nothing in the
 * closed library and writes nothing. */

/* Temperature matrix (degC, width x height floats, row-major) of the Y16 frame, measured by
 * the closed library with emissivity measure1, distance measure2 and reflected temperature
 * measure3 (their meaning is the closed library's). For the standard and fire lists with
 * range mode 1 the frame is corrected by the offset after the library's ISP and before the
 * measurement. Nothing is written when the library refuses the scene blocks. */
KMM_API void getNewTempWithPyro_dll(const char* modelName, int width, int height,
                                    const uint16_t* y16Data, int y16Count,
                                    const void* calibData, int calibLength, const void* sceneB,
                                    int sceneBLength, const void* sceneA, int sceneALength,
                                    const void* sceneC, int sceneCLength, const void* paramLine,
                                    int paramLineLength, float* temperatures, float measure1,
                                    float measure2, float measure3);

/* Temperature (degC) of the single value y16Value, written to *temperature; the frame is
 * still processed by the library first. pointExtra is handed to the library with the three
 * settings. Nothing is written when the library refuses the scene blocks. */
KMM_API void getNewTemperatureWithPYROByY16(const char* modelName, int width, int height,
                                            const uint16_t* y16Data, int y16Count,
                                            uint16_t y16Value, const void* calibData,
                                            int calibLength, const void* sceneB,
                                            int sceneBLength, const void* sceneA,
                                            int sceneALength, const void* sceneC,
                                            int sceneCLength, const void* paramLine,
                                            int paramLineLength, float* temperature,
                                            float measure1, float measure2, float measure3,
                                            float pointExtra);

/* Y16 value (written to *y16Out as a signed 16-bit slot) that temperatureIn (degC) would give
 * under measure1..measure3, computed by the closed library. Fire-list models get the library's
 * value without touching the frame or parameter line; other models have the frame processed
 * first, and the standard list in range mode 1 gets the value minus this library's offset,
 * modulo 65536 (the inverse of the correction the temperature functions apply). Nothing is
 * written when the library refuses the scene blocks. */
KMM_API void getY16WithPyro_dll(const char* modelName, int width, int height,
                                const uint16_t* y16Data, int y16Count, const void* calibData,
                                int calibLength, const void* sceneB, int sceneBLength,
                                const void* sceneA, int sceneALength, const void* sceneC,
                                int sceneCLength, const void* paramLine, int paramLineLength,
                                float temperatureIn, int16_t* y16Out, float measure1,
                                float measure2, float measure3);

/* Grey image (width x height bytes, 0 black to 255 white) of the Y16 frame, drawn by the
 * closed library. autoRange true: the library finds the window in the data, and the measured
 * temperature range (as getNewTempWithPyro_dll) is written to *maxTemp and *minTemp (degC);
 * the frame drawn is the one corrected by the offset. autoRange false: *maxTemp and *minTemp
 * are the window (degC, only read), turned into Y16 ends as getY16WithPyro_dll does, high
 * first, and handed over as they are (a window upside down stays upside down); the caller's
 * frame is drawn. The image needs sceneC.
 * Nothing is written without a measured range (autoRange) or both converted ends (manual):
 * no instance, or the scene blocks refused. dst alone is left when the library declines the
 * window or sceneC is absent (the measured range is still reported).
 * Bad input: as for the section, and a null dst, maxTemp or minTemp. */
KMM_API void y16MappingWithPyro_dll(const char* modelName, uint8_t* dst, float* maxTemp,
                                    float* minTemp, bool autoRange, int width, int height,
                                    const uint16_t* y16Data, int y16Count, const void* calibData,
                                    int calibLength, const void* sceneB, int sceneBLength,
                                    const void* sceneA, int sceneALength, const void* sceneC,
                                    int sceneCLength, const void* paramLine, int paramLineLength,
                                    float measure1, float measure2, float measure3);

/* Fire colour image of the Y16 frame by the closed library's adaptive DRC, for fire-list
 * models (DV34..DV39, -W). dst: width x height pixels in the library's layout (our stand-in:
 * 3 bytes a pixel, R G B). fireMode picks the window written to *maxTemp / *minTemp (degC):
 * 4 and 5: 650 / 150, 6: 650 / 250, 7 and 8: 150 / 100, 9: 650 / 150, others 0 / 0; and the
 * DRC mode (fireMode - 4). Its ends become Y16 as getY16WithPyro_dll does; an upper end not
 * above the lower one is set to lower + 1. drcSetIndex 0..3 loads one of four preset DRC
 * parameter sets (any other value keeps set 0); drcParam1..3 go on as their low 16 bits,
 * drcParam4 whole, with the measured centre temperature cut to an integer (0 when nothing
 * was measured). *level: where the centre sample lies on the mode's fire scale, 0 to 1
 * (fireMode 9: untouched; modes other than 4..9: 0; samples below the scale's 0 degC: 0;
 * above its 2000 degC the last segment runs on past 1); a scale the library makes unusable
 * (Y16 of 0 degC not below that of 650 degC, or 150 and 650 degC alike) leaves *level at 0
 * below the scale, 1 above it and untouched within it.
 * The centre is sample (width x height) / 2 + width / 2; in a single row of even width, which
 * puts that one past the end, the last sample.
 * Models outside the fire list have no DRC: dst stays untouched, the window and level are
 * written. Without a measured frame and both converted ends (no instance, or the scene blocks
 * refused) nothing is written.
 * Bad input: as for the section, and a null dst, maxTemp, minTemp or level. */
KMM_API void y16MappingWithPyroToRgb_dll(
    const char* modelName, uint8_t* dst, float* maxTemp, float* minTemp, int width, int height,
    const uint16_t* y16Data, int y16Count, const void* calibData, int calibLength,
    const void* sceneB, int sceneBLength, const void* sceneA, int sceneALength,
    const void* sceneC, int sceneCLength, const void* paramLine, int paramLineLength,
    float measure1, float measure2, float measure3, int fireMode, int drcSetIndex,
    int drcParam1, int drcParam2, int drcParam3, int drcParam4, float* level);

KMM_EXTERN_C_END

#ifdef __cplusplus
/* ---- Closed-library (PYRO) class members ------------------------------------------------- */

/* No data members: two static members and assignment operators that copy nothing. */
class KMM_API KestrelModuleMeasureMin {
public:
    KestrelModuleMeasureMin() = default;
    KestrelModuleMeasureMin(const KestrelModuleMeasureMin&) = default;
    /* Both return the object itself, unchanged. */
    KestrelModuleMeasureMin& operator=(const KestrelModuleMeasureMin&);
    KestrelModuleMeasureMin& operator=(KestrelModuleMeasureMin&&);

    /* getNewTempWithPyro_dll with the frame and blocks in param and the settings in measure:
     * the library receives the addresses of all six fields of measure (selectors of
     * measure1..measure6), and measure2 as the matrix setting. temperatures: width x height.
     * Returns at once when param.y16Count <= 0; otherwise bad input as for the section. */
    static void tempwithpyroDll(const char* modelName, float* temperatures,
                                const PYRO_PARAM& param, PYRO_MEASUREPARAM& measure);

    /* y16MappingWithPyro_dll with the frame and blocks in param and the settings in measure
     * (the library receives the addresses of its six fields). The manual window's Y16 ends
     * have the offset taken off for the standard list and for DV34 / DV34-W in range mode 1.
     * Returns at once when param.y16Count <= 0; otherwise bad input as for the section, and a
     * null dst, maxTemp or minTemp. */
    static void y16MappingWithPyro_dll(const char* modelName, unsigned char* dst,
                                       float* maxTemp, float* minTemp, bool autoRange,
                                       const PYRO_PARAM& param, PYRO_MEASUREPARAM& measure);
};
#endif

#endif /* KMODULEMEASURE_H */
