// Histogram kernels: one scan for the occupied range and the sums, one counting pass into
// two tables, then the walks over the counts.
#include "kernels/histogram.h"

#include <algorithm>
#include <type_traits>

#include "common/blocks.h"
#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

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
KMM_SIMD_BODY ValueScan scanValues(const Sample* samples, int64_t count) {
    ValueScan r{samples[0], samples[0], 0, 0};
    for (const auto b : blocks(count, kSumBlock)) {
        int32_t blockValues = 0, blockScaled = 0;
        for (int64_t i = b.start; i < b.end; ++i) {
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

#if KMM_SIMD_X86
// The same scan with AVX2 in 16-bit lanes: minima and maxima, and the sums by multiply-adds
// with 1, which add neighbouring pairs into 32-bit lanes (a block's lane sums stay below
// 2^27). Unsigned samples are summed with the top bit flipped, as v - 32768 in a signed
// lane, and the 32768s added back. Folds the whole vectors into r; returns the count done.
template <class Sample, bool Halved>
[[gnu::target("avx2")]] int64_t scanValuesAvx2(ValueScan& r, const Sample* samples, int64_t count) {
    constexpr bool kSigned = std::is_signed_v<Sample>;
    const __m256i ones = _mm256_set1_epi16(1);
    const __m256i topBit = _mm256_set1_epi16(int16_t(0x8000));
    __m256i low = _mm256_set1_epi16(int16_t(samples[0])), high = low;
    int64_t i = 0;
    for (const int64_t vectorEnd = count - count % 16; i < vectorEnd;) {
        const int64_t start = i, end = std::min(vectorEnd, i + kSumBlock);
        __m256i values = _mm256_setzero_si256(), halves = _mm256_setzero_si256();
        for (; i < end; i += 16) {
            const __m256i v = loadLanes(samples + i);
            low = kSigned ? _mm256_min_epi16(low, v) : _mm256_min_epu16(low, v);
            high = kSigned ? _mm256_max_epi16(high, v) : _mm256_max_epu16(high, v);
            values = _mm256_add_epi32(values, _mm256_madd_epi16(kSigned ? v : _mm256_xor_si256(v, topBit), ones));
            if constexpr (Halved) {
                // trunc(v / 2): a negative odd value first steps up by one
                const __m256i h = kSigned ? _mm256_srai_epi16(_mm256_add_epi16(v, _mm256_srli_epi16(v, 15)), 1)
                                          : _mm256_srli_epi16(v, 1);
                halves = _mm256_add_epi32(halves, _mm256_madd_epi16(h, ones));
            }
        }
        int32_t parts[8], halfParts[8];
        storeLanes(parts, values);
        storeLanes(halfParts, halves);
        int64_t blockValues = kSigned ? 0 : 32768 * (end - start), blockHalves = 0;
        for (const int32_t part : parts) blockValues += part;
        for (const int32_t part : halfParts) blockHalves += part;
        r.valueSum += blockValues;
        r.scaledSum += Halved ? blockHalves : blockValues;
    }
    Sample lows[16], highs[16];
    storeLanes(lows, low);
    storeLanes(highs, high);
    r.vMin = std::min<int32_t>(r.vMin, *std::min_element(std::begin(lows), std::end(lows)));
    r.vMax = std::max<int32_t>(r.vMax, *std::max_element(std::begin(highs), std::end(highs)));
    return i;
}
#endif

// The scan at the thread's level: whole vectors in the AVX2 form, the rest in the plain loop.
template <class Sample, bool Halved>
ValueScan scanAll(const Sample* samples, int64_t count) {
    ValueScan r{samples[0], samples[0], 0, 0};
    int64_t done = 0;
#if KMM_SIMD_X86
    if (runsAvx2()) done = scanValuesAvx2<Sample, Halved>(r, samples, count);
#endif
    if (done == count) return r;
    const ValueScan rest = dispatchSimd<scanValues<Sample, Halved>>(samples + done, count - done);
    return {std::min(r.vMin, rest.vMin), std::max(r.vMax, rest.vMax), r.valueSum + rest.valueSum,
            r.scaledSum + rest.scaledSum};
}

// Each sample's index less first; Limited applies the table's ends, which only samples
// beyond the scale's range need, before first is taken off.
template <class Sample, bool Halved, bool Limited>
int32_t indexOf(Sample v, int32_t offset, int32_t first) {
    if constexpr (Limited) return histogramIndex(v, {offset, Halved}) - first;
    return scaled<Halved>(v) + (offset - first);
}

// An increment waits for the one before it when both hit the same count, so the counting
// keeps several increments in flight on different counts: it reads the frame as eight streams
// an eighth of it apart, which rarely share a count, and within a stream neighbours (which
// often do) come eight increments apart, enough for the one before to have been stored.
//  - a narrow range is counted into eight small tables, stream j into table j, merged
//    afterwards: in a flat scene the streams share counts too, and still never wait;
//  - a wide range into one table (eight would no longer fit the first-level cache).
constexpr int kStreams = 8;
constexpr int32_t kNarrowStride = Histogram::kNarrowStride;

// Stride 0 counts every stream into one table; tables start at index first.
template <class Sample, bool Halved, bool Limited, int32_t Stride>
void countStreams(const Sample* samples, int64_t count, int32_t offset, int32_t first,
                  uint32_t* tables) {
    const int64_t part = count / kStreams;
    const Sample* s[kStreams];
    for (int j = 0; j < kStreams; ++j) s[j] = samples + j * part;
    for (int64_t i = 0; i < part; ++i) {
        for (int j = 0; j < kStreams; ++j) {
            ++tables[j * Stride + indexOf<Sample, Halved, Limited>(s[j][i], offset, first)];
        }
    }
    for (int64_t i = kStreams * part; i < count; ++i) {
        ++tables[indexOf<Sample, Halved, Limited>(samples[i], offset, first)];
    }
}

template <class Sample, bool Halved, bool Limited>
void countSamples(const Sample* samples, int64_t count, int32_t offset, int32_t first,
                  int32_t last, Histogram& h) {
    uint32_t* counts = h.counts;
    const int32_t range = last - first + 1;
    if (range > Histogram::kNarrowRange) {
        std::fill(counts + first, counts + last + 1, 0u);
        countStreams<Sample, Halved, Limited, 0>(samples, count, offset, 0, counts);
        return;
    }
    // The small tables start at index first: table j holds index k at j x stride + k - first.
    uint32_t* tables = h.narrow;
    for (int j = 0; j < kStreams; ++j) {
        std::fill(tables + j * kNarrowStride, tables + j * kNarrowStride + range, 0u);
    }
    countStreams<Sample, Halved, Limited, kNarrowStride>(samples, count, offset, first, tables);
    for (int32_t k = 0; k < range; ++k) {
        uint32_t sum = 0;
        for (int j = 0; j < kStreams; ++j) sum += tables[j * kNarrowStride + k];
        counts[first + k] = sum;
    }
}

// The sum of every counted index, from the counts of the occupied range.
int64_t indexSumOfCounts(const uint32_t* counts, int32_t first, int32_t last) {
    int64_t sum = 0;
    for (int32_t k = first; k <= last; ++k) sum += int64_t(k) * counts[k];
    return sum;
}

template <class Sample, bool Halved>
HistogramScan build(const Sample* samples, int64_t count, int32_t offset, Histogram& h,
                    std::optional<SampleRange> known) {
    const IndexMapping mapping{offset, Halved};
    // Known extremes on a whole-value scale whose ends are not limited: every sum follows
    // from the counts, so the samples are read once.
    if (!Halved && known && known->min + offset >= 0 && known->max + offset < kIndexCount) {
        HistogramScan s{known->min + offset, known->max + offset, 0, 0, known->min, known->max};
        countSamples<Sample, false, false>(samples, count, offset, s.first, s.last, h);
        s.indexSum = indexSumOfCounts(h.counts, s.first, s.last);
        s.valueSum = s.indexSum - count * offset;
        return s;
    }
    const ValueScan v = scanAll<Sample, Halved>(samples, count);
    // The index never decreases with the sample, so the extreme samples give the range.
    HistogramScan s{histogramIndex(v.vMin, mapping), histogramIndex(v.vMax, mapping), 0,
                    v.valueSum, v.vMin, v.vMax};
    const bool limited = scaled<Halved>(v.vMin) + offset != s.first ||
                         scaled<Halved>(v.vMax) + offset != s.last;
    if (limited) {
        countSamples<Sample, Halved, true>(samples, count, offset, s.first, s.last, h);
        // Where the ends are limited, the index sum comes from the counts.
        s.indexSum = indexSumOfCounts(h.counts, s.first, s.last);
    } else {
        countSamples<Sample, Halved, false>(samples, count, offset, s.first, s.last, h);
        s.indexSum = v.scaledSum + count * offset;
    }
    return s;
}

template <class Sample>
HistogramScan buildAny(const Sample* samples, int64_t count, IndexMapping m, Histogram& h,
                       std::optional<SampleRange> known = {}) {
    return m.halved ? build<Sample, true>(samples, count, m.offset, h, known)
                    : build<Sample, false>(samples, count, m.offset, h, known);
}

}  // namespace

HistogramScan buildHistogram(const int16_t* samples, int64_t count, IndexMapping mapping,
                             Histogram& histogram, std::optional<SampleRange> known) {
    return buildAny(samples, count, mapping, histogram, known);
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
