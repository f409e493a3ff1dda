// Non-temporal stores on x86-64 (SSE2, so every processor has them); a plain copy elsewhere.
#include "kernels/streaming_copy.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "kernels/simd_dispatch.h"

#if KMM_SIMD_X86
#include <emmintrin.h>
#endif

namespace kmm {

void streamingCopy(void* dst, const void* src, size_t bytes) {
#if KMM_SIMD_X86
    auto* out = static_cast<unsigned char*>(dst);
    const auto* in = static_cast<const unsigned char*>(src);
    // Streaming stores need 16-byte aligned addresses: the unaligned head (the bytes up to
    // the next multiple of 16) and tail go plainly.
    const size_t head = std::min(bytes, size_t(-reinterpret_cast<uintptr_t>(out) & 15));
    std::memcpy(out, in, head);
    size_t i = head;
    for (; i + 16 <= bytes; i += 16) {
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
