// Temperature matrix to raw counts. Rounding to the nearest count is a search among the
// temperatures of the half counts, so only the thresholds between the matrix's extremes are
// evaluated (one logarithm each, as in the other direction), and uniform buckets over their
// temperature span lead each pixel to within a step or two of its count.
#include "temperature_to_raw.h"

#include <algorithm>
#include <limits>
#include <vector>

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
    double base = 0.0;
    double scale = 0.0;
    int32_t count = 1;

    int32_t of(float t) const {
        const double x = (double(t) - base) * scale;
        return x <= 0.0 ? 0 : x >= double(count - 1) ? count - 1 : int32_t(x);
    }
};

}  // namespace

float countThreshold(const RawResponse& response, int32_t count) {
    const double kelvin = objectKelvin(response, count + 0.5);
    return static_cast<float>(kelvin - kKelvinOffset);
}

uint16_t countOfCelsius(const RawResponse& response, float celsius) {
    return static_cast<uint16_t>(searchCount(response, celsius));
}

void celsiusFrameToRaw(const RawResponse& response, const float* celsius, int32_t count,
                       uint16_t* raw) {
    constexpr float kMax = std::numeric_limits<float>::max();
    float lowest = kMax, highest = -kMax;
    for (int32_t i = 0; i < count; ++i) {
        const float t = celsius[i];
        if (t >= -kMax && t <= kMax) {
            lowest = std::min(lowest, t);
            highest = std::max(highest, t);
        }
    }
    // Every threshold before `first` lies at or below the lowest temperature, every one from
    // `last` on above the highest: they only shift the count.
    const int32_t first = searchCount(response, lowest);
    const int32_t last = std::max(first, searchCount(response, highest));
    const int32_t n = last - first;
    std::vector<float> thresholds(static_cast<size_t>(n));
    for (int32_t k = 0; k < n; ++k) thresholds[size_t(k)] = countThreshold(response, first + k);

    // Twice as many buckets as thresholds; start[j] = thresholds in buckets before j.
    Buckets buckets;
    if (n > 0 && thresholds[size_t(n - 1)] > thresholds[0]) {
        buckets.count = 2 * n;
        buckets.base = thresholds[0];
        buckets.scale = buckets.count / (double(thresholds[size_t(n - 1)]) - thresholds[0]);
    }
    std::vector<uint16_t> start(static_cast<size_t>(buckets.count));
    for (int32_t j = 0, k = 0; j < buckets.count; ++j) {
        while (k < n && buckets.of(thresholds[size_t(k)]) < j) ++k;
        start[size_t(j)] = static_cast<uint16_t>(k);
    }

    const auto belowAll = static_cast<uint16_t>(searchCount(response, -std::numeric_limits<float>::infinity()));
    for (int32_t i = 0; i < count; ++i) {
        const float t = celsius[i];
        if (t >= lowest && t <= highest) {
            int32_t k = start[size_t(buckets.of(t))];
            while (k < n && thresholds[size_t(k)] <= t) ++k;
            raw[i] = static_cast<uint16_t>(first + k);
        } else {
            raw[i] = t != t ? 0 : t < 0.0f ? belowAll : UINT16_MAX;
        }
    }
}

void celsiusFrameToRawReference(const RawResponse& response, const float* celsius,
                                int32_t count, uint16_t* raw) {
    std::vector<float> thresholds(static_cast<size_t>(kThresholds));
    for (int32_t k = 0; k < kThresholds; ++k) thresholds[size_t(k)] = countThreshold(response, k);
    for (int32_t i = 0; i < count; ++i) {
        const float t = celsius[i];
        const auto above = std::upper_bound(thresholds.begin(), thresholds.end(), t);
        raw[i] = t != t ? 0 : static_cast<uint16_t>(above - thresholds.begin());
    }
}

}  // namespace kmm
