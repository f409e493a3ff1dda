// Neighbourhood kernels: the border fill, the 3 x 3 row operations and the two filters built
// on the bordered frame.
#include "kernels/neighbourhood.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

#include "kernels/conversions.h"
#include "kernels/pair_sums.h"
#include "kernels/simd_dispatch.h"

namespace kmm {

void fillBorder(int16_t* bordered, const int16_t* frame, int32_t width, int32_t height,
                int32_t windowWidth, int32_t windowHeight) {
    const int64_t px = windowWidth / 2;
    const int64_t py = windowHeight / 2;
    const int64_t stride = width + 2 * px;
    for (int64_t y = 0; y < height; ++y) {
        const int16_t* src = frame + y * width;
        int16_t* row = bordered + (py + y) * stride;
        std::fill_n(row, px, src[0]);
        std::copy_n(src, width, row + px);
        std::fill_n(row + px + width, px, src[width - 1]);
    }
    const int16_t* first = bordered + py * stride;
    const int16_t* last = bordered + (py + height - 1) * stride;
    for (int64_t y = 0; y < py; ++y) {
        std::copy_n(first, stride, bordered + y * stride);
        std::copy_n(last, stride, bordered + (py + height + y) * stride);
    }
}

namespace {

// The high-pass in 16-bit lanes: with v = 8q + r (q = v >> 3, 0 <= r < 8) the sum of eight
// values shifted by 3 is the sum of the q plus the sum of the r shifted by 3, and neither
// partial sum leaves 16 bits. Only the difference to the centre is formed in 32 bits.
KMM_SIMD_BODY void highPassBody(int16_t* __restrict out, const int16_t* up, const int16_t* mid,
                                const int16_t* down, int32_t n, int32_t limit) {
    const auto q = [](int16_t v) { return int16_t(v >> 3); };
    const auto r = [](int16_t v) { return int16_t(v & 7); };
    for (int32_t x = 0; x < n; ++x) {
        const auto quotients =
            int16_t(q(up[x - 1]) + q(up[x]) + q(up[x + 1]) + q(mid[x - 1]) + q(mid[x]) +
                    q(mid[x + 1]) + q(down[x - 1]) + q(down[x]));
        const auto remainders =
            int16_t(r(up[x - 1]) + r(up[x]) + r(up[x + 1]) + r(mid[x - 1]) + r(mid[x]) +
                    r(mid[x + 1]) + r(down[x - 1]) + r(down[x]));
        const auto mean = int16_t(quotients + (remainders >> 3));
        out[x] = int16_t(std::clamp(int32_t(mid[x]) - mean, -limit, limit));
    }
}

// At strength 1.0 the mask is exactly 2c - m, which fits 16-bit lanes.
KMM_SIMD_BODY void unsharpUnitBody(uint8_t* __restrict out, const uint8_t* up,
                                   const uint8_t* mid, const uint8_t* down, int32_t n) {
    for (int32_t x = 0; x < n; ++x) {
        const auto sum = uint16_t(up[x - 1] + up[x] + up[x + 1] + mid[x - 1] + mid[x + 1] +
                                  down[x - 1] + down[x] + down[x + 1]);
        out[x] = clampToByte(int16_t(2 * mid[x] - (sum >> 3)));
    }
}

KMM_SIMD_BODY void unsharpBody(uint8_t* __restrict out, const uint8_t* up, const uint8_t* mid,
                               const uint8_t* down, int32_t n, int32_t strength) {
    const int32_t centreWeight = 1024 + strength;
    for (int32_t x = 0; x < n; ++x) {
        const int32_t m = neighbourMean(up, mid, down, x);
        out[x] = clampToByte((mid[x] * centreWeight - m * strength) >> 10);
    }
}

// A kernel whose weights are each at most 4096 keeps every product and the sum in 32 bits.
// The built Gaussians are also symmetric: one weight for the four corners, one for the four
// edges, so three products a pixel instead of nine.
KMM_SIMD_BODY void gaussianSymmetricBody(int16_t* __restrict out, const int16_t* up,
                                         const int16_t* mid, const int16_t* down, int32_t n,
                                         int32_t corner, int32_t edge, int32_t centre) {
    for (int32_t x = 0; x < n; ++x) {
        const int32_t corners = up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1];
        const int32_t edges = up[x] + mid[x - 1] + mid[x + 1] + down[x];
        out[x] = wrapToInt16((corners * corner + edges * edge + mid[x] * centre) >> 12);
    }
}

KMM_SIMD_BODY void gaussianBody(int16_t* __restrict out, const int16_t* up, const int16_t* mid,
                                const int16_t* down, int32_t n, const uint32_t* kernel) {
    // Any other table: the sum in 64 bits, its low 32 bits kept, which equals the 32-bit sum
    // wherever that does not overflow and stays defined where it would.
    std::array<int64_t, 9> k;
    std::copy_n(kernel, k.size(), k.begin());
    for (int32_t x = 0; x < n; ++x) {
        const int64_t sum = k[0] * up[x - 1] + k[1] * up[x] + k[2] * up[x + 1] +
                            k[3] * mid[x - 1] + k[4] * mid[x] + k[5] * mid[x + 1] +
                            k[6] * down[x - 1] + k[7] * down[x] + k[8] * down[x + 1];
        out[x] = wrapToInt16(static_cast<int32_t>(sum) >> 12);
    }
}

}  // namespace

void highPassRow(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                 int32_t n, int16_t limit) {
    if (highPassPairs(out, up, mid, down, n, limit) == n) return;
    dispatchSimd<highPassBody>(out, up, mid, down, n, int32_t(limit));
}

void unsharpRow(uint8_t* out, const uint8_t* up, const uint8_t* mid, const uint8_t* down,
                int32_t n, int32_t strength) {
    if (strength == 1024) {
        if (unsharpUnitPairs(out, up, mid, down, n) == n) return;
        dispatchSimd<unsharpUnitBody>(out, up, mid, down, n);
    } else {
        dispatchSimd<unsharpBody>(out, up, mid, down, n, strength);
    }
}

void gaussianRow(int16_t* out, const int16_t* up, const int16_t* mid, const int16_t* down,
                 int32_t n, const uint32_t* kernel) {
    const uint32_t corner = kernel[0], edge = kernel[1], centre = kernel[4];
    const bool symmetric = kernel[2] == corner && kernel[6] == corner && kernel[8] == corner &&
                           kernel[3] == edge && kernel[5] == edge && kernel[7] == edge;
    if (symmetric && std::max({corner, edge, centre}) <= 4096) {
        if (gaussianSymmetricPairs(out, up, mid, down, n, int16_t(corner), int16_t(edge),
                                   int16_t(centre)) == n)
            return;
        dispatchSimd<gaussianSymmetricBody>(out, up, mid, down, n, int32_t(corner),
                                            int32_t(edge), int32_t(centre));
    } else {
        dispatchSimd<gaussianBody>(out, up, mid, down, n, kernel);
    }
}

void gaussianFilter3x3(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                       const uint32_t* kernel) {
    // Rows are read in place, the row above the first and below the last being those rows
    // themselves; only the first and last column need their edge value repeated, which a
    // per-pixel sum with clamped columns does, so no bordered copy of the frame is made.
    const auto edgePixel = [&](const int16_t* up, const int16_t* mid, const int16_t* down,
                               int32_t x) {
        const int32_t left = std::max(x - 1, 0), right = std::min(x + 1, width - 1);
        int64_t sum = 0;
        const uint32_t* weights = kernel;
        for (const int16_t* row : {up, mid, down}) {
            sum += int64_t(weights[0]) * row[left] + int64_t(weights[1]) * row[x] +
                   int64_t(weights[2]) * row[right];
            weights += 3;
        }
        return wrapToInt16(static_cast<int32_t>(sum) >> 12);  // as gaussianBody
    };
    for (int64_t y = 0; y < height; ++y) {
        const int16_t* mid = in + y * width;
        const int16_t* up = y > 0 ? mid - width : mid;
        const int16_t* down = y + 1 < height ? mid + width : mid;
        int16_t* row = out + y * width;
        row[0] = edgePixel(up, mid, down, 0);
        if (width == 1) continue;
        gaussianRow(row + 1, up + 1, mid + 1, down + 1, width - 2, kernel);
        row[width - 1] = edgePixel(up, mid, down, width - 1);
    }
}

namespace {

// Windows of up to this many values keep the weight x value sums within 32 bits (weights of at
// most 4096 on 16-bit values).
constexpr int64_t kNarrowWindow = 16;
// Positions of a row summed at a time, in buffers that stay in the first-level cache.
constexpr int32_t kChunk = 256;

KMM_SIMD_BODY void addWindowColumn(int32_t* __restrict weightSums, int32_t* __restrict valueSums,
                                   const int16_t* __restrict centre, const int16_t* values,
                                   int32_t n, const uint32_t* __restrict table) {
    for (int32_t x = 0; x < n; ++x) {
        const int32_t v = values[x];
        const int32_t weight = int32_t(table[std::min(std::abs(int32_t(centre[x]) - v), 511)]);
        weightSums[x] += weight;
        valueSums[x] += weight * v;
    }
}

// The quotient in double truncates a 32-bit sum over a sum below 2^24 exactly like the integer
// division; the choice of the centre is made with masks so that the loop stays vectorised.
KMM_SIMD_BODY void weightedMeans(int16_t* __restrict out, const int32_t* __restrict weightSums,
                                 const int32_t* __restrict valueSums,
                                 const int16_t* __restrict centre, int32_t n) {
    for (int32_t x = 0; x < n; ++x) {
        const int32_t w = weightSums[x];
        const auto q = int32_t(double(valueSums[x]) / double(std::max(w, 1)));
        const int32_t weighted = -int32_t(w > 0);  // all ones or zero
        out[x] = int16_t((q & weighted) | (int32_t(centre[x]) & ~weighted));
    }
}

KMM_SIMD_BODY void narrowWindowRow(int16_t* out, const int16_t* in, const int16_t* bordered,
                                   int64_t stride, int32_t width, const uint32_t* table,
                                   int32_t windowWidth, int32_t windowHeight) {
    alignas(64) int32_t weightSums[kChunk];
    alignas(64) int32_t valueSums[kChunk];
    for (int32_t x0 = 0; x0 < width; x0 += kChunk) {
        const int32_t n = std::min(kChunk, width - x0);
        std::fill_n(weightSums, n, 0);
        std::fill_n(valueSums, n, 0);
        for (int32_t wy = 0; wy < windowHeight; ++wy) {
            for (int32_t wx = 0; wx < windowWidth; ++wx) {
                addWindowColumn(weightSums, valueSums, in + x0, bordered + wy * stride + x0 + wx,
                                n, table);
            }
        }
        weightedMeans(out + x0, weightSums, valueSums, in + x0, n);
    }
}

// The 3 x 3 window: each weight joins two pixels and serves both, so it is looked up once:
// along each row (h: i and i + 1) and between each row and the next (down: i and i below,
// right: i and i + 1 below, left: i + 1 and i below). Four look-ups a pixel instead of eight.
struct PairRows {
    uint32_t *down, *right, *left;
};

KMM_SIMD_BODY void pairRow(uint32_t* __restrict out, const int16_t* __restrict a,
                           const int16_t* __restrict b, int64_t n, const uint32_t* __restrict table) {
    for (int64_t i = 0; i < n; ++i) {
        out[i] = table[std::min(std::abs(int32_t(a[i]) - int32_t(b[i])), 511)];
    }
}

KMM_SIMD_BODY void betweenRows(const PairRows& p, const int16_t* upper, const int16_t* lower,
                               int64_t stride, const uint32_t* table) {
    pairRow(p.down, upper, lower, stride, table);
    pairRow(p.right, upper, lower + 1, stride - 1, table);
    pairRow(p.left, upper + 1, lower, stride - 1, table);
}

// up: the pairs between the row above and this one; below: between this one and the next.
KMM_SIMD_BODY void window3x3Row(int16_t* __restrict out, const int16_t* __restrict above,
                                const int16_t* __restrict row, const int16_t* __restrict below,
                                const uint32_t* __restrict h, PairRows up, PairRows down,
                                int32_t width, int32_t self) {
    for (int32_t x = 0; x < width; ++x) {
        const int32_t c = row[x + 1];
        const auto w0 = int32_t(up.right[x]), w1 = int32_t(up.down[x + 1]);
        const auto w2 = int32_t(up.left[x + 1]), w3 = int32_t(h[x]), w4 = int32_t(h[x + 1]);
        const auto w5 = int32_t(down.left[x]), w6 = int32_t(down.down[x + 1]);
        const auto w7 = int32_t(down.right[x + 1]);
        const int32_t w = self + w0 + w1 + w2 + w3 + w4 + w5 + w6 + w7;
        const int32_t v = self * c + w0 * above[x] + w1 * above[x + 1] + w2 * above[x + 2] +
                          w3 * row[x] + w4 * row[x + 2] + w5 * below[x] + w6 * below[x + 1] +
                          w7 * below[x + 2];
        const auto q = int32_t(double(v) / double(std::max(w, 1)));
        const int32_t weighted = -int32_t(w > 0);  // all ones or zero
        out[x] = int16_t((q & weighted) | (c & ~weighted));
    }
}

KMM_SIMD_BODY void window3x3(int16_t* out, const int16_t* bordered, int32_t width, int32_t height,
                             const uint32_t* table, uint32_t* pairs) {
    const int64_t stride = int64_t(width) + 2;
    uint32_t* h = pairs;
    const auto pairRowsAt = [&](int64_t row) {
        uint32_t* base = pairs + stride * row;
        return PairRows{base, base + stride, base + 2 * stride};
    };
    const PairRows rows[] = {pairRowsAt(1), pairRowsAt(4)};  // in turn above and below a row
    betweenRows(rows[0], bordered, bordered + stride, stride, table);
    for (int32_t y = 0; y < height; ++y) {
        const int16_t* row = bordered + (y + 1) * stride;
        const PairRows& up = rows[y % 2];
        const PairRows& down = rows[(y + 1) % 2];
        betweenRows(down, row, row + stride, stride, table);
        pairRow(h, row, row + 1, stride - 1, table);
        window3x3Row(out + int64_t(y) * width, row - stride, row, row + stride, h, up, down,
                     width, int32_t(table[0]));
    }
}

}  // namespace

void rangeWeightedFilter(int16_t* out, uint16_t* meanWeight, const int16_t* in, int32_t width,
                         int32_t height, const uint32_t* table, int32_t windowWidth,
                         int32_t windowHeight, int16_t* bordered) {
    fillBorder(bordered, in, width, height, windowWidth, windowHeight);
    const int64_t stride = int64_t(width) + 2 * (windowWidth / 2);
    const int64_t windowPixels = int64_t(windowWidth) * windowHeight;
    if (meanWeight == nullptr && windowWidth == 3 && windowHeight == 3) {
        std::vector<uint32_t> pairs(size_t(stride) * 7);
        dispatchSimd<window3x3>(out, static_cast<const int16_t*>(bordered), width, height, table,
                                pairs.data());
        return;
    }
    if (meanWeight == nullptr && windowPixels <= kNarrowWindow) {
        for (int64_t y = 0; y < height; ++y) {
            dispatchSimd<narrowWindowRow>(out + y * width, in + y * width, bordered + y * stride,
                                          stride, width, table, windowWidth, windowHeight);
        }
        return;
    }
    for (int64_t y = 0; y < height; ++y) {
        for (int64_t x = 0; x < width; ++x) {
            const int32_t centre = in[y * width + x];
            int64_t weightSum = 0;
            int64_t valueSum = 0;
            for (int64_t wy = 0; wy < windowHeight; ++wy) {
                const int16_t* row = bordered + (y + wy) * stride + x;
                for (int64_t wx = 0; wx < windowWidth; ++wx) {
                    const int32_t v = row[wx];
                    const int32_t difference = std::abs(centre - v);
                    const uint32_t weight = table[std::min(difference, 511)];
                    weightSum += weight;
                    // The weight x value product is 32-bit; written unsigned so that its
                    // wrap (impossible with tables of at most 4096) stays defined.
                    valueSum += static_cast<int32_t>(weight * static_cast<uint32_t>(v));
                }
            }
            const int64_t i = y * width + x;
            out[i] = weightSum > 0 ? wrapToInt16(valueSum / weightSum) : int16_t(centre);
            if (meanWeight) meanWeight[i] = uint16_t(weightSum / windowPixels);
        }
    }
}

}  // namespace kmm
