// What the AVX2 forms written with intrinsics beside the plain loops share: the attribute of
// their inline helpers and unaligned loads and stores of any element type (x86-64 only).
#pragma once

#include "kernels/simd_dispatch.h"

#if KMM_SIMD_X86
#include <immintrin.h>

#define KMM_AVX2 [[gnu::target("avx2"), gnu::always_inline]] inline

namespace kmm {

template <class T>
KMM_AVX2 __m256i loadLanes(const T* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

template <class T>
KMM_AVX2 void storeLanes(T* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

}  // namespace kmm
#endif
