// The instruction-set levels the fast kernels are compiled for, the level this processor
// runs them at, and a scope that lowers it on one thread (the tests and the comparison
// benchmark run every level in turn). Nothing here reads the environment.
#pragma once

#include <cstdint>
#include <span>

namespace kmm {

enum class SimdLevel : uint8_t {
    Baseline,  // what every processor of the target has: SSE2 on x86-64, NEON on arm64
    Avx2,      // x86-64 processors with AVX2
    Avx512,    // x86-64 processors with AVX-512 byte and word lanes: the AVX2 kernels, and
               // 512-bit forms where they pay
};

// The level kernels run at on the calling thread: the best this processor supports, or the
// cap of the innermost ScopedSimdLevel on this thread.
SimdLevel simdLevel();

// Whether the AVX2 forms (or the 512-bit ones) may run on the calling thread.
inline bool runsAvx2() { return simdLevel() >= SimdLevel::Avx2; }
inline bool runsAvx512() { return simdLevel() >= SimdLevel::Avx512; }

// Every level this processor supports, lowest first.
std::span<const SimdLevel> supportedSimdLevels();

const char* simdLevelName(SimdLevel level);

// Caps the level on this thread for its lifetime. Other threads are not affected.
class ScopedSimdLevel {
public:
    explicit ScopedSimdLevel(SimdLevel cap);
    ~ScopedSimdLevel();
    ScopedSimdLevel(const ScopedSimdLevel&) = delete;
    ScopedSimdLevel& operator=(const ScopedSimdLevel&) = delete;

private:
    SimdLevel previous_;
};

}  // namespace kmm
