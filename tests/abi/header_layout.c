/* The public header compiled as C11: its static assertions run here too, and the sizes and
 * offsets a C compiler sees are reported to the C++ side of the ABI test. */
#include "KModuleMeasure.h"
#include "KModuleMeasureRadiometry.h"

#include "header_layout.h"

#define FIELD(rec, field) {#rec "." #field, offsetof(rec, field)}

const KmmLayoutEntry kmmCLayout[] = {
    {"sizeof DeviceCorrectionParam", sizeof(DeviceCorrectionParam)},
    {"sizeof MeasureState", sizeof(MeasureState)},
    {"sizeof ParaConfig", sizeof(ParaConfig)},
    {"sizeof TempCalcInfo", sizeof(TempCalcInfo)},
    {"sizeof PYRO_PARAM", sizeof(PYRO_PARAM)},
    {"sizeof PYRO_MEASUREPARAM", sizeof(PYRO_MEASUREPARAM)},
    FIELD(DeviceCorrectionParam, compMode),
    FIELD(DeviceCorrectionParam, distConst),
    FIELD(MeasureState, driftY16Last),
    FIELD(MeasureState, ambientBaseTemp),
    FIELD(MeasureState, driftSlopeLow),
    FIELD(MeasureState, segmentIndex),
    FIELD(MeasureState, settingKey),
    FIELD(ParaConfig, breakpoints),
    FIELD(ParaConfig, formatTag),
    FIELD(ParaConfig, emissivity),
    FIELD(ParaConfig, extraParam),
    FIELD(PYRO_PARAM, y16Count),
    FIELD(PYRO_PARAM, sceneB),
    FIELD(PYRO_PARAM, sceneA),
    FIELD(PYRO_PARAM, paramLineLength),
    FIELD(PYRO_MEASUREPARAM, measure2),
    {"sizeof kmm_planck_constants", sizeof(kmm_planck_constants)},
    {"sizeof kmm_radiometric_scene", sizeof(kmm_radiometric_scene)},
    FIELD(kmm_planck_constants, o),
    FIELD(kmm_radiometric_scene, window_transmission),
    FIELD(kmm_radiometric_scene, atm_beta2),
};
const size_t kmmCLayoutCount = sizeof kmmCLayout / sizeof kmmCLayout[0];
