// Histogram kernels: one scan for the occupied range and the sums, one counting pass into
// two tables, then the walks over the counts.
#include "kernels/histogram.h"

#include <algorithm>
#include <cassert>

namespace kmm {
namespace {

// Sums run in 32-bit lanes over blocks short enough that they cannot overflow
// (16384 x 65535 < 2^31), which lets the compiler vectorise the scan.
constexpr int64_t kSumBlock = 16384;

// The value before the offset: v, or trunc(v / 2) on the halved scale.
template <bool Halved>
constexpr int32_t scaled(int32_t v) {
    return Halved ? v / 2 : v;
}

struct ValueScan {
    int32_t vMin, vMax;
    int64_t valueSum, scaledSum;
};

template <class Sample, bool Halved>
ValueScan scanValues(const Sample* samples, int64_t count) {
    ValueScan r{samples[0], samples[0], 0, 0};
    for (int64_t start = 0; start < count; start += kSumBlock) {
        const int64_t end = std::min(count, start + kSumBlock);
        int32_t blockValues = 0, blockScaled = 0;
        for (int64_t i = start; i < end; ++i) {
            const int32_t v = samples[i];
            r.vMin = std::min(r.vMin, v);
            r.vMax = std::max(r.vMax, v);
            blockValues += v;
            if constexpr (Halved) blockScaled += scaled<Halved>(v);
        }
        r.valueSum += blockValues;
        r.scaledSum += Halved ? blockScaled : blockValues;
    }
    return r;
}

// Each sample's index; Limited applies the table's ends, which only samples beyond the
// scale's range need.
template <class Sample, bool Halved, bool Limited>
int32_t indexOf(Sample v, int32_t offset) {
    if constexpr (Limited) return histogramIndex(v, {offset, Halved});
    return scaled<Halved>(v) + offset;
}

template <class Sample, bool Halved, bool Limited>
void countSamples(const Sample* samples, int64_t count, int32_t offset, uint32_t* even,
                  uint32_t* odd) {
    int64_t i = 0;
    for (; i + 1 < count; i += 2) {
        ++even[indexOf<Sample, Halved, Limited>(samples[i], offset)];
        ++odd[indexOf<Sample, Halved, Limited>(samples[i + 1], offset)];
    }
    if (i < count) ++even[indexOf<Sample, Halved, Limited>(samples[i], offset)];
}

template <class Sample, bool Halved>
HistogramScan build(const Sample* samples, int64_t count, int32_t offset, Histogram& h) {
    assert(count >= 1);
    const ValueScan v = scanValues<Sample, Halved>(samples, count);
    const IndexMapping mapping{offset, Halved};
    // The index never decreases with the sample, so the extreme samples give the range.
    HistogramScan s{histogramIndex(v.vMin, mapping), histogramIndex(v.vMax, mapping), 0,
                    v.valueSum, v.vMin, v.vMax};
    const bool limited = scaled<Halved>(v.vMin) + offset != s.first ||
                         scaled<Halved>(v.vMax) + offset != s.last;
    uint32_t* even = h.counts;
    uint32_t* odd = h.oddCounts;
    std::fill(even + s.first, even + s.last + 1, 0u);
    std::fill(odd + s.first, odd + s.last + 1, 0u);
    if (limited) {
        countSamples<Sample, Halved, true>(samples, count, offset, even, odd);
    } else {
        countSamples<Sample, Halved, false>(samples, count, offset, even, odd);
    }
    for (int32_t k = s.first; k <= s.last; ++k) {
        even[k] += odd[k];
        // Where the ends are limited, the index sum comes from the counts.
        if (limited) s.indexSum += int64_t(k) * even[k];
    }
    if (!limited) s.indexSum = v.scaledSum + count * offset;
    return s;
}

template <class Sample>
HistogramScan buildAny(const Sample* samples, int64_t count, IndexMapping m, Histogram& h) {
    return m.halved ? build<Sample, true>(samples, count, m.offset, h)
                    : build<Sample, false>(samples, count, m.offset, h);
}

}  // namespace

HistogramScan buildHistogram(const int16_t* samples, int64_t count, IndexMapping mapping,
                             Histogram& histogram) {
    return buildAny(samples, count, mapping, histogram);
}

HistogramScan buildHistogram(const uint16_t* samples, int64_t count, IndexMapping mapping,
                             Histogram& histogram) {
    return buildAny(samples, count, mapping, histogram);
}

std::optional<int32_t> percentileIndex(const uint32_t* counts, int32_t from, int32_t to,
                                       int64_t need, uint32_t countLimit) {
    const int32_t step = from <= to ? 1 : -1;
    int64_t total = 0;
    for (int32_t k = from;; k += step) {
        total += std::min(counts[k], countLimit);
        if (total >= need && counts[k] != 0) return k;
        if (k == to) return std::nullopt;
    }
}

uint32_t accumulateLimited(uint32_t* cumulative, const uint32_t* counts, int32_t first,
                           int32_t last, uint32_t limit) {
    uint32_t running = 0;
    for (int32_t k = first; k <= last; ++k) {
        running += std::min(counts[k], limit);
        cumulative[k] = running;
    }
    return running;
}

}  // namespace kmm
