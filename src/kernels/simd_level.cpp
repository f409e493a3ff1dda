// Processor detection, once per process, and the per-thread cap.
#include "kernels/simd_level.h"

#include <algorithm>
#include <vector>

#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

SimdLevel detectLevel() {
#if KMM_SIMD_X86
    // Also checks that the operating system saves the 256- and 512-bit registers.
    if (__builtin_cpu_supports("avx512bw")) return SimdLevel::Avx512;
    if (__builtin_cpu_supports("avx2")) return SimdLevel::Avx2;
#endif
    return SimdLevel::Baseline;
}

SimdLevel detectedLevel() {
    static const SimdLevel level = detectLevel();
    return level;
}

thread_local SimdLevel tCap = SimdLevel::Avx512;

}  // namespace

SimdLevel simdLevel() { return std::min(detectedLevel(), tCap); }

std::span<const SimdLevel> supportedSimdLevels() {
    static const std::vector<SimdLevel> levels = [] {
        std::vector<SimdLevel> all{SimdLevel::Baseline};
        if (detectedLevel() >= SimdLevel::Avx2) all.push_back(SimdLevel::Avx2);
        if (detectedLevel() >= SimdLevel::Avx512) all.push_back(SimdLevel::Avx512);
        return all;
    }();
    return levels;
}

const char* simdLevelName(SimdLevel level) {
    switch (level) {
        case SimdLevel::Avx2: return "avx2";
        case SimdLevel::Avx512: return "avx512";
        case SimdLevel::Baseline: break;
    }
    return KMM_SIMD_X86 ? "sse2" : "baseline";
}

ScopedSimdLevel::ScopedSimdLevel(SimdLevel cap) : previous_(tCap) { tCap = cap; }

ScopedSimdLevel::~ScopedSimdLevel() { tCap = previous_; }

}  // namespace kmm
