// One loop, compiled once per instruction-set level. A kernel body is plain C++ marked
// always-inline; dispatchSimd<body>(args...) calls it from a function compiled for the
// calling thread's level, so the compiler vectorises the same loop for SSE2 (or NEON) and
// for AVX2, and every level computes the same integers. Bodies live in anonymous
// namespaces, which keeps each level's copy private to its file.
#pragma once

#include "kernels/simd_level.h"

#if defined(__x86_64__) || defined(_M_X64)
#define KMM_SIMD_X86 1
#else
#define KMM_SIMD_X86 0
#endif

#define KMM_SIMD_BODY [[gnu::always_inline]] inline

namespace kmm {

template <auto Body, class... Args>
decltype(auto) runAtBaseline(Args... args) {
    return Body(args...);
}

#if KMM_SIMD_X86
template <auto Body, class... Args>
__attribute__((target("avx2"))) decltype(auto) runAtAvx2(Args... args) {
    return Body(args...);
}
#endif

template <auto Body, class... Args>
decltype(auto) dispatchSimd(Args... args) {
#if KMM_SIMD_X86
    if (runsAvx2()) return runAtAvx2<Body>(args...);
#endif
    return runAtBaseline<Body>(args...);
}

}  // namespace kmm
