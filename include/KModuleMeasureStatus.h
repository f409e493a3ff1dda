/*
 * KModuleMeasure extension API: the status codes and version shared by the kmm_ headers
 * (KModuleMeasurePipeline.h, KModuleMeasureRadiometry.h). Usable from C11 and C++.
 *
 * Every kmm_ function returns a kmm_status or reports through one; none throws. A function
 * that returns anything other than KMM_OK has written nothing to its outputs.
 */
#ifndef KMODULEMEASURE_STATUS_H
#define KMODULEMEASURE_STATUS_H

#include <stdint.h>

#include "KModuleMeasureExport.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef enum kmm_status {
    KMM_OK = 0,
    KMM_ERROR_NULL_ARGUMENT = -1,    /* a required pointer is null                            */
    KMM_ERROR_BAD_SIZE = -2,         /* width, height or count <= 0, or too large to address  */
    KMM_ERROR_BAD_VALUE = -3,        /* a parameter outside its documented range              */
    KMM_ERROR_BUFFER_TOO_SMALL = -4, /* the caller's output buffer cannot hold the result     */
    KMM_ERROR_OUT_OF_MEMORY = -5,    /* a work buffer could not be allocated                  */
    KMM_ERROR_INTERNAL = -6          /* anything else; outputs untouched                      */
} kmm_status;

/* A short English description of a status ("buffer too small"); never null. */
KMM_API const char* kmm_status_text(kmm_status status);

/* The library's version, "MAJOR.MINOR.PATCH". */
KMM_API const char* kmm_version(void);

#ifdef __cplusplus
}
#endif

#endif /* KMODULEMEASURE_STATUS_H */
