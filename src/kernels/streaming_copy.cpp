// Non-temporal stores on x86-64 (SSE2, so every processor has them); a plain copy elsewhere.
#include "kernels/streaming_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "kernels/simd_dispatch.h"

#if KMM_SIMD_X86
#include <cpuid.h>
#include <emmintrin.h>
#endif

namespace kmm {

// From the processor's deterministic cache parameters: leaf 4 on Intel, 0x8000001D on AMD
// and Hygon, one sub-leaf a cache until one of type 0.
size_t largestCacheBytes() {
#if KMM_SIMD_X86
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(0, &a, &b, &c, &d) == 0) return 0;
    const bool amdLeaf = b == 0x68747541 || b == 0x6F677948;  // "Auth"enticAMD, "Hygo"nGenuine
    const unsigned leaf = amdLeaf ? 0x8000001Du : 4u;
    if ((amdLeaf ? __get_cpuid_max(0x80000000u, nullptr) : a) < leaf) return 0;
    size_t largest = 0;
    for (unsigned i = 0; i < 8 && __get_cpuid_count(leaf, i, &a, &b, &c, &d) != 0 && (a & 31) != 0; ++i) {
        // ways x partitions x line size x sets, each stored less one
        const size_t bytes = size_t((b >> 22) + 1) * size_t(((b >> 12) & 1023) + 1) *
                             size_t((b & 4095) + 1) * (size_t(c) + 1);
        largest = std::max(largest, bytes);
    }
    return largest;
#else
    return 0;
#endif
}

size_t streamingThreshold() {
    static const size_t bytes = [] {
        const size_t cache = largestCacheBytes();
        return cache > 0 ? cache / 2 : size_t(4) << 20;
    }();
    return bytes;
}

void streamingCopy(void* dst, const void* src, size_t bytes) {
#if KMM_SIMD_X86
    auto* out = static_cast<unsigned char*>(dst);
    const auto* in = static_cast<const unsigned char*>(src);
    // Streaming stores need 16-byte aligned addresses: the unaligned head (the bytes up to
    // the next multiple of 16) and tail go plainly.
    const size_t head = std::min(bytes, size_t(-reinterpret_cast<uintptr_t>(out) & 15));
    std::memcpy(out, in, head);
    size_t i = head;
    for (const size_t vectorEnd = bytes - (bytes - head) % 16; i < vectorEnd; i += 16) {
        _mm_stream_si128(reinterpret_cast<__m128i*>(out + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i)));
    }
    std::memcpy(out + i, in + i, bytes - i);
    _mm_sfence();  // the streamed lines are visible before the call returns
#else
    std::memcpy(dst, src, bytes);
#endif
}

}  // namespace kmm
