// Status texts and the version string of the kmm_ extension API.
#include "KModuleMeasureStatus.h"

extern "C" KMM_API const char* kmm_status_text(kmm_status status) {
    switch (status) {
        case KMM_OK: return "ok";
        case KMM_ERROR_NULL_ARGUMENT: return "null argument";
        case KMM_ERROR_BAD_SIZE: return "bad size";
        case KMM_ERROR_BAD_VALUE: return "value out of range";
        case KMM_ERROR_BUFFER_TOO_SMALL: return "buffer too small";
        case KMM_ERROR_OUT_OF_MEMORY: return "out of memory";
        case KMM_ERROR_INTERNAL: return "internal error";
    }
    return "unknown status";
}

extern "C" KMM_API const char* kmm_version(void) { return KMM_VERSION_STRING; }
