// Temperature matrix to raw counts. Rounding to the nearest count is a search among the
// temperatures of the half counts, so only the thresholds between the matrix's extremes are
// evaluated (one logarithm each, as in the other direction), and uniform buckets over their
// temperature span give each pixel its count in one comparison.
#include "temperature_to_raw.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "common/work_block.h"
#include "planck_response.h"

namespace kmm {
namespace {

constexpr int32_t kThresholds = UINT16_MAX;  // between counts 0 .. 65535

// The first count whose upper threshold lies above `celsius`, by bisection over thresholds
// evaluated on demand. NaN compares false everywhere and gives 0.
int32_t searchCount(const RawResponse& response, float celsius) {
    if (celsius != celsius) return 0;
    int32_t low = 0, high = kThresholds;
    while (low < high) {
        const int32_t mid = low + (high - low) / 2;
        if (countThreshold(response, mid) <= celsius) low = mid + 1;
        else high = mid;
    }
    return low;
}

// Index of the bucket holding a temperature: monotone in t, clamped to the buckets.
struct Buckets {
    float base = 0.0f;
    float scale = 0.0f;
    float last = 0.0f;  // count - 1
    int32_t count = 1;

    int32_t of(float t) const { return int32_t(std::min(std::max((t - base) * scale, 0.0f), last)); }
};

// The finite extremes of a matrix; {max, -max} when it holds none. Eight independent lanes
// without branches on the data let the compiler keep the scan in vector registers.
std::pair<float, float> finiteRange(const float* celsius, int32_t count) {
    constexpr float kMax = std::numeric_limits<float>::max();
    constexpr int32_t kLanes = 8;
    float lo[kLanes], hi[kLanes];
    std::fill_n(lo, kLanes, kMax);
    std::fill_n(hi, kLanes, -kMax);
    for (int32_t i = 0; i < count; i += kLanes) {
        const int32_t lanes = std::min(kLanes, count - i);
        for (int32_t j = 0; j < lanes; ++j) {
            const float t = celsius[i + j];
            const bool finite = t >= -kMax && t <= kMax;
            const float low = finite ? t : kMax, high = finite ? t : -kMax;
            lo[j] = std::min(lo[j], low);
            hi[j] = std::max(hi[j], high);
        }
    }
    return {*std::min_element(lo, lo + kLanes), *std::max_element(hi, hi + kLanes)};
}

}  // namespace

float countThreshold(const RawResponse& response, int32_t count) {
    const double kelvin = objectKelvin(response, count + 0.5);
    return static_cast<float>(kelvin - kKelvinOffset);
}

void celsiusFrameToRaw(const RawResponse& response, const float* celsius, int32_t count,
                       uint16_t* raw) {
    const auto [lowest, highest] = finiteRange(celsius, count);
    // Every threshold before `first` lies at or below the lowest temperature, every one from
    // `last` on above the highest: they only shift the count.
    const int32_t first = searchCount(response, lowest);
    const int32_t last = std::max(first, searchCount(response, highest));
    const int32_t n = last - first;
    // Four buckets a threshold over their span, so that most hold none or one.
    const int32_t bucketCount = std::max(1, 4 * n);
    WorkBlock work(WorkBlock::bytesFor<float>(size_t(n) + 1) +
                   WorkBlock::bytesFor<uint16_t>(size_t(bucketCount)) +
                   WorkBlock::bytesFor<float>(size_t(bucketCount)));
    float* thresholds = work.take<float>(size_t(n) + 1);
    uint16_t* start = work.take<uint16_t>(size_t(bucketCount));
    float* edge = work.take<float>(size_t(bucketCount));
    float top = 0.0f;  // the last threshold, kept so that nothing indexes back from n
    for (int32_t k = 0; k < n; ++k) top = thresholds[k] = countThreshold(response, first + k);
    // A +inf sentinel ends the thresholds, so the search below needs no bound check.
    thresholds[n] = HUGE_VALF;

    // For bucket j, start[j] = thresholds in the buckets before it, and edge[j] the first
    // threshold from there on when the bucket holds at most one (NaN when it holds more): the
    // two loads are independent, and one comparison gives the count. Fewer than two thresholds,
    // or all equal (a run crowded against the pole), keep one bucket.
    Buckets buckets;
    if (top > thresholds[0]) {
        buckets.count = bucketCount;
        buckets.last = float(buckets.count - 1);
        buckets.base = thresholds[0];
        // In double: the span of two finite floats can overflow float.
        buckets.scale = float(buckets.count / (double(top) - thresholds[0]));
    }
    for (int32_t j = 0, k = 0; j < buckets.count; ++j) {
        while (k < n && buckets.of(thresholds[k]) < j) ++k;
        const bool crowded = k + 1 < n && buckets.of(thresholds[k + 1]) == j;
        start[j] = static_cast<uint16_t>(k);
        edge[j] = crowded ? NAN : thresholds[k];
    }

    const auto belowAll = static_cast<uint16_t>(searchCount(response, -HUGE_VALF));
    for (int32_t i = 0; i < count; ++i) {
        const float t = celsius[i];
        if (t >= lowest && t <= highest) {
            const int32_t j = buckets.of(t);
            int32_t k = start[j];
            const float e = edge[j];
            if (e == e) {
                k += t >= e;
            } else {
                while (t >= thresholds[k]) ++k;
            }
            raw[i] = static_cast<uint16_t>(first + k);
        } else {
            raw[i] = t != t ? 0 : std::signbit(t) ? belowAll : UINT16_MAX;  // NaN or an infinity
        }
    }
}

void celsiusFrameToRawReference(const RawResponse& response, const float* celsius,
                                int32_t count, uint16_t* raw) {
    std::vector<float> thresholds(static_cast<size_t>(kThresholds));
    std::ranges::generate(thresholds, [&, k = 0]() mutable { return countThreshold(response, k++); });
    for (int32_t i = 0; i < count; ++i) {
        const float t = celsius[i];
        const auto above = std::upper_bound(thresholds.begin(), thresholds.end(), t);
        raw[i] = t != t ? 0 : static_cast<uint16_t>(above - thresholds.begin());
    }
}

}  // namespace kmm
