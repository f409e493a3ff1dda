/*
 * The 18 functions of the closed thermal-algorithm library (libpyro.so) that this library
 * calls, with the records they take. Our stand-in in platform/pyro includes this header to
 * define them, so the adapter and the stand-in cannot drift apart.
 */
#ifndef KMM_PYRO_API_H
#define KMM_PYRO_API_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
/* pyro.dll exports the stand-in's definitions. The adapter declares them plainly: its calls go
 * through the import library's stubs into pyro.dll, or straight to the stand-in's objects
 * where the tests link those in. */
#if defined(PYRO_BUILDING_STANDIN)
#define PYRO_API __declspec(dllexport)
#else
#define PYRO_API
#endif
#else
/* Default visibility: the stand-in's definitions must leave libpyro.so. */
#define PYRO_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Instance and DRC handles: pointer-sized, null on failure. */
typedef struct PyroInstance* PyroHandle;
typedef struct PyroDrc* PyroDrcHandle;

/* Served on the library's request: the whole calibration block goes to destination, which has
 * room for capacity bytes, and its byte length to *length; request is not read. A block longer
 * than the room is refused whole (nothing written, PYRO_REQUEST_REFUSED) and the call that
 * opened the instance computes nothing. */
#define PYRO_REQUEST_REFUSED (-11)
typedef int32_t (*PyroDataRequestCallback)(int32_t request, void* destination, int32_t capacity,
                                           uint32_t* length, void* user);

/* The selectors this library hands to the control functions, in one enum for all four (a
 * number means one thing to PYRO_BaseControl and another to PYRO_MeasureControl). Named by
 * what this library sends through them; what they do inside is the library's business
 * (platform/pyro/standin.h says what the stand-in makes of them). Values are int32 unless
 * a comment says otherwise. */
typedef enum PyroSelector {
    /* PYRO_BaseControl */
    PYRO_BASE_OUTPUT = 14,       /* 0 before a measurement, 1 before an image and at set-up */
    PYRO_BASE_LEVEL = 28,        /* the parameter line's field at byte 818 */

    /* PYRO_MeasureControl: the host's settings measure1..measure6 (1..3 float) */
    PYRO_MEASURE_SETTING1 = 1,
    PYRO_MEASURE_SETTING2 = 0,
    PYRO_MEASURE_SETTING3 = 3,
    PYRO_MEASURE_SETTING4 = 2,
    PYRO_MEASURE_SETTING5 = 22,
    PYRO_MEASURE_SETTING6 = 4,
    /* PYRO_MeasureControl: switches, each sent as 1 */
    PYRO_MEASURE_SCENE_C = 19,   /* at set-up: with scene C, and always for fire models */
    PYRO_MEASURE_OPEN_A = 11,    /* at every set-up, in the order A, B, C */
    PYRO_MEASURE_OPEN_B = 7,
    PYRO_MEASURE_OPEN_C = 23,
    PYRO_MEASURE_RUN_A = 10,     /* before every operation, A then B; A also at fire set-up */
    PYRO_MEASURE_RUN_B = 9,
    PYRO_MEASURE_FIRE = 27,      /* at fire set-up */
    PYRO_MEASURE_RESPONSE = 15,  /* at fire set-up: the response range */
    /* PYRO_MeasureControl: the range window of the parameter line's range mode; the second
     * selector of each pair gets the address of the window's second value */
    PYRO_MEASURE_WINDOW_MODE1 = 16,     /* float pair 11.5, 110 */
    PYRO_MEASURE_WINDOW_MODE1_END = 12,
    PYRO_MEASURE_WINDOW_MODE2 = 17,     /* float pair 0, 1 */
    PYRO_MEASURE_WINDOW_MODE2_END = 13,
    PYRO_MEASURE_WINDOW_OTHER = 18,     /* int32 pair 0, 0 */
    PYRO_MEASURE_WINDOW_OTHER_END = 14,

    /* PYRO_ImageControl: the image preset sent before every image (and at fire set-up), in
     * this order, then the image scale */
    PYRO_IMAGE_GREY_MAX = 3,     /* 255 */
    PYRO_IMAGE_PRESET_A = 4,     /* 100 */
    PYRO_IMAGE_FLAG_A = 22,      /* one byte, 1 */
    PYRO_IMAGE_FLAG_B = 23,      /* one byte, 1 */
    PYRO_IMAGE_PRESET_B = 29,    /* 256 */
    PYRO_IMAGE_PRESET_C = 30,    /* 1 */
    PYRO_IMAGE_PRESET_D = 31,    /* 1 */
    PYRO_IMAGE_PRESET_E = 34,    /* 20 */
    PYRO_IMAGE_PRESET_F = 35,    /* 180 */
    PYRO_IMAGE_PRESET_G = 36,    /* 145 */
    PYRO_IMAGE_PRESET_H = 37,    /* 32 */
    PYRO_IMAGE_PRESET_I = 38,    /* 7 */
    PYRO_IMAGE_SCALE = 42,       /* 1 */

    /* PYRO_Debugger */
    PYRO_DEBUG_LEVEL = 0         /* 1 at set-up */
} PyroSelector;

/* Registration record (216 bytes): everything but the callback and the user pointer is zero. */
typedef struct PYRO_REGISTRATION {
    PyroDataRequestCallback dataRequest;
    uint8_t reserved[200];
    void* user;
} PYRO_REGISTRATION;

/* One block of the scene record: pointer, byte length, 4 bytes of zero padding. */
typedef struct PYRO_SCENE_BLOCK {
    const void* data;
    int32_t length;
    int32_t padding;
} PYRO_SCENE_BLOCK;

/* Scene record (48 bytes): blocks A, B and C in that order; an absent block is null, 0. */
typedef struct PYRO_SCENE {
    PYRO_SCENE_BLOCK blocks[3];
} PYRO_SCENE;

/* Settings of one point measurement, in the order the library reads them. */
typedef struct PYRO_POINT_SETTINGS {
    float values[4];
} PYRO_POINT_SETTINGS;

/* Y16 window of the grey mapping. */
typedef struct PYRO_DIMMING_RANGE {
    uint16_t high;
    uint16_t low;
} PYRO_DIMMING_RANGE;

/* One parameter set of the fire DRC. */
typedef struct PYRO_DRC_PARAMS {
    int32_t values[11];
} PYRO_DRC_PARAMS;

/* Four 16-bit values passed by value (one 8-byte record) to the fire DRC. */
typedef struct PYRO_DRC_EXTRA {
    uint16_t values[4];
} PYRO_DRC_EXTRA;

/* The ISP result record, filled by the library and never read here. */
typedef struct PYRO_ISP_RESULT {
    uint8_t bytes[40];
} PYRO_ISP_RESULT;

PYRO_API PyroHandle PYRO_Init(int32_t kind, int32_t mode, int32_t width, int32_t height,
                              int32_t option);
PYRO_API int32_t PYRO_BaseControl(PyroHandle h, int32_t selector, void* value);
PYRO_API int32_t PYRO_Register(PyroHandle h, const PYRO_REGISTRATION* registration);
PYRO_API int32_t PYRO_MeasureControl(PyroHandle h, int32_t selector, void* value);
PYRO_API int32_t PYRO_ImageControl(PyroHandle h, int32_t selector, void* value);
PYRO_API int32_t PYRO_Debugger(PyroHandle h, int32_t selector, void* value);
PYRO_API int32_t PYRO_SetScene(PyroHandle h, const PYRO_SCENE* scene);
PYRO_API int32_t PYRO_UpdateParamLine(PyroHandle h, const void* paramLine, int32_t length);
PYRO_API int32_t PYRO_ISP(PyroHandle h, uint16_t* frame, int32_t byteLength,
                          PYRO_ISP_RESULT* result);
PYRO_API int32_t PYRO_MeasureTempMatrix(PyroHandle h, uint16_t* frame, int32_t width,
                                        int32_t height, int32_t left, int32_t top,
                                        int32_t areaWidth, int32_t areaHeight, float setting,
                                        int32_t flags, float* temperatures, int32_t count);
PYRO_API int32_t PYRO_MeasureAnalysisTempPoint(PyroHandle h, uint16_t y16,
                                               const PYRO_POINT_SETTINGS* settings,
                                               float* temperature);
PYRO_API int32_t PYRO_CalcY16ByTemp(PyroHandle h, float temperature, int16_t* y16);
PYRO_API int32_t PYRO_DimmingType(PyroHandle h, int32_t type, const PYRO_DIMMING_RANGE* range);
PYRO_API int32_t PYRO_ISP_Y8(PyroHandle h, uint16_t* frame, int32_t byteLength,
                             PYRO_ISP_RESULT* result, uint8_t* grey, int32_t count);
PYRO_API PyroDrcHandle PYRO_FireDRCInit(int32_t width, int32_t height, int32_t option);
PYRO_API int32_t PYRO_FireDRCSetParams(PyroDrcHandle drc, const PYRO_DRC_PARAMS* params);
PYRO_API int32_t PYRO_DrcFireAdaptive2DifferentMode(PyroDrcHandle drc, const uint16_t* source,
                                                    uint8_t* destination, int32_t width,
                                                    int32_t height, int32_t high, int32_t low,
                                                    int32_t mode, uint32_t option,
                                                    PYRO_DRC_EXTRA extra);
PYRO_API int32_t PYRO_Uninit(PyroHandle h);

#ifdef __cplusplus
}

static_assert(sizeof(PYRO_REGISTRATION) == 216 && offsetof(PYRO_REGISTRATION, user) == 208,
              "registration record layout");
static_assert(sizeof(PYRO_SCENE) == 48, "scene record layout");
static_assert(sizeof(PYRO_DRC_EXTRA) == 8, "DRC record passed as one 8-byte value");
static_assert(sizeof(PYRO_ISP_RESULT) == 40, "ISP result record");
#endif

#endif /* KMM_PYRO_API_H */
