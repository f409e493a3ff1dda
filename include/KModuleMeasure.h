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

#if defined(_WIN32)
#define KMM_API __declspec(dllexport)
#else
#define KMM_API __attribute__((visibility("default")))
#endif

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
 * the 16-bit range as its nearest end; the result is always a finite number. */
KMM_API void getNewTemperature_dll(const char* model, float* result, float temperature,
                                   float oldEmissivity, float newEmissivity, float oldDistance,
                                   float newDistance, float oldReflectedTemp,
                                   float newReflectedTemp, const DeviceCorrectionParam* param);

/* ---- Calibration-curve temperatures ------------------------------------------------------ */

/* ---- Y16 grey mapping -------------------------------------------------------------------- */

/* ---- Temperature-matrix image mapping and resize ----------------------------------------- */

/* ---- Closed-library (PYRO) functions ----------------------------------------------------- */

KMM_EXTERN_C_END

#endif /* KMODULEMEASURE_H */
