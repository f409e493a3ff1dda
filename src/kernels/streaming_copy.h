// A copy whose destination bypasses the caches: for results larger than the caches, where
// ordinary stores would first read every destination line and then evict it again anyway.
#pragma once

#include <cstddef>

namespace kmm {

// Results from this size on are written with streamingCopy: half the processor's largest
// cache, asked once per process, or 4 MiB where the processor does not say.
size_t streamingThreshold();

// The size of the processor's largest cache, as the processor describes it; 0 where it does
// not describe its caches in the way this reads.
size_t largestCacheBytes();

// memcpy(dst, src, bytes), with non-temporal stores where the processor has them.
void streamingCopy(void* dst, const void* src, size_t bytes);

}  // namespace kmm
