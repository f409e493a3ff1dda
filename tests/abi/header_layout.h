/* Sizes and offsets of the public records as the C compiler lays them out. */
#pragma once
#include <stddef.h>

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
