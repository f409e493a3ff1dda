// A copy whose destination bypasses the caches: for results larger than the caches, where
// ordinary stores would first read every destination line and then evict it again anyway.
#pragma once

#include <cstddef>

namespace kmm {

// Results from this size on are written with streamingCopy.
inline constexpr size_t kStreamingBytes = size_t(4) << 20;

// memcpy(dst, src, bytes), with non-temporal stores where the processor has them.
void streamingCopy(void* dst, const void* src, size_t bytes);

}  // namespace kmm
