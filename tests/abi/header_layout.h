/* Sizes and offsets of the public records, listed once and laid out by the C compiler in
 * header_layout.c and by the C++ compiler in the test. */
#pragma once
#include <stddef.h>

#define KMM_RECORD_LAYOUT(SIZE, FIELD)                                                         \
    SIZE(DeviceCorrectionParam) SIZE(MeasureState) SIZE(ParaConfig) SIZE(TempCalcInfo)         \
    SIZE(PYRO_PARAM) SIZE(PYRO_MEASUREPARAM)                                                   \
    FIELD(DeviceCorrectionParam, compMode) FIELD(DeviceCorrectionParam, distConst)             \
    FIELD(MeasureState, driftY16Last) FIELD(MeasureState, ambientBaseTemp)                     \
    FIELD(MeasureState, driftSlopeLow) FIELD(MeasureState, segmentIndex)                       \
    FIELD(MeasureState, settingKey) FIELD(ParaConfig, breakpoints)                             \
    FIELD(ParaConfig, formatTag) FIELD(ParaConfig, emissivity) FIELD(ParaConfig, extraParam)   \
    FIELD(PYRO_PARAM, y16Count) FIELD(PYRO_PARAM, sceneB) FIELD(PYRO_PARAM, sceneA)            \
    FIELD(PYRO_PARAM, paramLineLength) FIELD(PYRO_MEASUREPARAM, measure2)                      \
    SIZE(kmm_planck_constants) SIZE(kmm_radiometric_scene) FIELD(kmm_planck_constants, o)      \
    FIELD(kmm_radiometric_scene, window_transmission) FIELD(kmm_radiometric_scene, atm_beta2)
#define KMM_LAYOUT_SIZE(rec) {"sizeof " #rec, sizeof(rec)},
#define KMM_LAYOUT_FIELD(rec, field) {#rec "." #field, offsetof(rec, field)},

#ifdef __cplusplus
extern "C" {
#endif
typedef struct KmmLayoutEntry {
    const char* what;
    size_t value;
} KmmLayoutEntry;
extern const KmmLayoutEntry kmmCLayout[];
extern const size_t kmmCLayoutCount;
#ifdef __cplusplus
}
#endif
