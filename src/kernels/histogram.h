// Histogram kernels: the table index of a sample, the counts of a frame over its occupied
// index range, the percentile search, and the running total under a count limit.
#pragma once

#include <cstdint>
#include <optional>

namespace kmm {

inline constexpr int32_t kIndexCount = 65536;

// How a sample v becomes the index k of a 65,536-entry table:
// k = (halved ? trunc(v / 2) : v) + offset, limited to 0..65535. The limits only act where
// a scale does not fit its samples (halved Y16 below -16384 on offset 8192, Y16 below -16384
// on offset 16384): such samples count as the end index.
struct IndexMapping {
    int32_t offset = 32768;
    bool halved = false;
};

constexpr int32_t histogramIndex(int32_t v, IndexMapping m) {
    const int32_t k = (m.halved ? v / 2 : v) + m.offset;
    return k < 0 ? 0 : (k >= kIndexCount ? kIndexCount - 1 : k);
}

// A count limit that never acts.
inline constexpr uint32_t kExactCounts = 0xFFFFFFFFu;

// The counts of one frame. After buildHistogram, counts[k] is the exact count of index k for
// k in first..last; the rest of counts is neither written nor read, so it may hold anything.
// A narrow occupied range is first counted into eight small tables (pixels of a flat scene
// share an index, and each increment would otherwise wait for the one before it).
struct Histogram {
    static constexpr int32_t kNarrowRange = 2048;                 // indices last - first + 1
    static constexpr int32_t kNarrowStride = kNarrowRange + 16;   // 8 KiB apart they would alias
    uint32_t counts[kIndexCount];
    uint32_t narrow[8 * kNarrowStride];
};

struct HistogramScan {
    int32_t first = 0, last = 0;  // occupied index range
    int64_t indexSum = 0;         // of every sample's index
    int64_t valueSum = 0;         // of the samples themselves
    int32_t valueMin = 0, valueMax = 0;
};

// The smallest and largest of a frame's samples, both present in it.
struct SampleRange {
    int32_t min, max;
};

// Counts count >= 1 samples. Clears and fills only the occupied range. A caller that already
// knows the samples' exact extremes (from the pass that wrote them) passes them as known:
// the scan for them is skipped, and on a whole-value scale the sums come from the counts.
HistogramScan buildHistogram(const int16_t* samples, int64_t count, IndexMapping mapping,
                             Histogram& histogram, std::optional<SampleRange> known = {});
HistogramScan buildHistogram(const uint16_t* samples, int64_t count, IndexMapping mapping,
                             Histogram& histogram);

// The first index walking from `from` to `to` (either way) at which the running total of the
// counts, each taken at most countLimit, reaches need and whose own count is not 0; none when
// the walk ends first. The limit models counters that stop at it.
std::optional<int32_t> percentileIndex(const uint32_t* counts, int32_t from, int32_t to,
                                       int64_t need, uint32_t countLimit = kExactCounts);

// cumulative[k] = the sum of min(counts[j], limit) over j = first..k, an unsigned 32-bit
// running total like the table that keeps it; returns the total.
uint32_t accumulateLimited(uint32_t* cumulative, const uint32_t* counts, int32_t first,
                           int32_t last, uint32_t limit);

}  // namespace kmm
