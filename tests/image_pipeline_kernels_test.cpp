// The pipeline's weight tables, the bordered frame and the two neighbourhood filters.
#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <tuple>
#include <vector>

#include "imagemap/pipeline/neighbourhood_filters.h"
#include "imagemap/pipeline/smoothing_kernels.h"

namespace kmm {
namespace {

constexpr int16_t kCanary = 0x5A5A;
using Table = std::array<uint32_t, 512>;

Table table(void (*build)(std::span<uint32_t>, int32_t), int32_t sigma) {
    Table t{};
    build(t, sigma);
    return t;
}

Table sigma5Kernel() {
    Table k{};
    buildGaussianKernel(k, 3, 3, 5);
    return k;
}

TEST(ImagePipelineKernels, WeightTableHeads) {
    const Table k = sigma5Kernel();  // rounded before normalising: the sum is 4092
    EXPECT_EQ(std::vector<uint32_t>(k.begin(), k.begin() + 10),
              (std::vector<uint32_t>{46, 343, 46, 343, 2536, 343, 46, 343, 46, 0}));
    EXPECT_EQ(std::accumulate(k.begin(), k.end(), 0u), 4092u);
    for (auto [build, sigma, head] : {
             std::tuple{&buildRangeTable, 5, std::vector<uint32_t>{4096, 4015, 3781, 3421, 2974, 2484}},
             {buildRangeTable, 15, {4096, 4087, 4060, 4015}},
             {buildRangeTable, 25, {4096, 4093, 4083, 4067}},
             {buildTemporalWeights, 8, {4096, 4016, 3785, 3425, 2967, 2454}}}) {
        const Table t = table(build, sigma);
        EXPECT_EQ(std::vector<uint32_t>(t.begin(), t.begin() + head.size()), head) << sigma;
    }
    EXPECT_EQ(table(buildRangeTable, 5)[511], 0u);
    std::array<uint32_t, 128> temporal{};
    buildTemporalWeights(temporal, 8);
    EXPECT_NE(temporal[16], 0u);
    EXPECT_EQ(temporal[17], 0u);
}

TEST(ImagePipelineKernels, KernelThatDoesNotFitLeavesTheTableAlone) {
    Table k;
    k.fill(7);
    for (auto [columns, rows] : {std::pair{23, 23}, {0, 3}, {3, -1}}) {
        buildGaussianKernel(k, columns, rows, 5);
        EXPECT_EQ(k[0], 7u) << columns << "x" << rows;
    }
}

TEST(ImagePipelineKernels, BorderRepeatsEdgeValues) {
    // 3 x 2 frame, 5 x 3 window: two columns and one row of border on each side.
    const int16_t frame[] = {1, 2, 3, 4, 5, 6};
    std::vector<int16_t> bordered(7 * 4 + 1, kCanary);
    fillBorder(bordered.data(), frame, 3, 2, 5, 3);
    EXPECT_EQ(bordered, (std::vector<int16_t>{1, 1, 1, 2, 3, 3, 3, 1, 1, 1, 2, 3, 3, 3,
                                              4, 4, 4, 5, 6, 6, 6, 4, 4, 4, 5, 6, 6, 6, kCanary}));
}

// Runs a filter on a w x h frame into a canary-guarded output; returns it without the guard.
std::vector<int16_t> gaussian(const std::vector<int16_t>& in, int32_t w, int32_t h,
                              int32_t window = 3, bool written = true) {
    std::vector<int16_t> out(in.size() + 1, kCanary), bordered((w + 10) * (h + 10));
    EXPECT_EQ(gaussianFilter(out.data(), in.data(), w, h, window, sigma5Kernel(), bordered.data()),
              written);
    EXPECT_EQ(out.back(), kCanary);
    out.pop_back();
    return out;
}

std::vector<int16_t> rangeWeighted(const std::vector<int16_t>& in, int32_t w, int32_t h,
                                   int32_t columns, int32_t rows, bool written = true) {
    std::vector<int16_t> out(in.size() + 1, kCanary), bordered((w + 14) * (h + 14));
    EXPECT_EQ(rangeWeightedFilter(out.data(), in.data(), w, h, table(buildRangeTable, 5), columns,
                                  rows, bordered.data()),
              written);
    EXPECT_EQ(out.back(), kCanary);
    out.pop_back();
    return out;
}

TEST(ImagePipelineKernels, GaussianOfUniformFramesRoundsDown) {
    // 600 x 4092 / 4096 = 599.4 -> 599; -599.4 rounds toward minus infinity to -600.
    for (auto [value, expected] : {std::pair<int16_t, int16_t>{600, 599}, {-600, -600},
                                   {0, 0}, {32767, 32735}}) {
        EXPECT_EQ(gaussian(std::vector<int16_t>(20, value), 5, 4),
                  std::vector<int16_t>(20, expected)) << value;
    }
}

TEST(ImagePipelineKernels, GaussianCornerSeesItsOwnValueOutside) {
    // One 4096 pixel near the top-left corner: its weight at (0, 0) sums the kernel entries
    // that land on it through the border.
    for (auto [x, y, atCorner] : {std::array{0, 0, 46 + 343 + 343 + 2536}, {1, 0, 46 + 343},
                                  {1, 1, 46}, {2, 0, 0}}) {
        std::vector<int16_t> f(12, 0);
        f[y * 4 + x] = 4096;
        EXPECT_EQ(gaussian(f, 4, 3)[0], atCorner) << x << "," << y;
    }
}

TEST(ImagePipelineKernels, RangeWeightedFilterKeepsFlatFramesAndStrongEdges) {
    std::vector<int16_t> spike(25, 100), step;
    spike[12] = 1100;  // 1000 above its neighbours: their weight is entry 511, 0
    for (int i = 0; i < 24; ++i) step.push_back(i % 6 < 3 ? 0 : 500);
    for (int window : {3, 11}) {
        EXPECT_EQ(rangeWeighted(std::vector<int16_t>(30, -1234), 6, 5, window, window),
                  std::vector<int16_t>(30, -1234));
        EXPECT_EQ(rangeWeighted(spike, 5, 5, window, window), spike) << window;
        EXPECT_EQ(rangeWeighted(step, 6, 4, window, window), step) << window;
    }
    // Centre 10 among eight 12s: weights 4096 and 8 x 3781; 403936 / 34344 = 11.76 -> 11.
    std::vector<int16_t> small(9, 12);
    small[4] = 10;
    EXPECT_EQ(rangeWeighted(small, 3, 3, 3, 3)[4], 11);
}

TEST(ImagePipelineKernels, FiltersRefuseWindowsTheyCannotServe) {
    const std::vector<int16_t> f(16, 9), untouched(16, kCanary);
    for (int window : {1, 5}) EXPECT_EQ(gaussian(f, 4, 4, window, false), untouched) << window;
    for (auto [a, b] : {std::pair{0, 3}, {3, 12}, {13, 13}})
        EXPECT_EQ(rangeWeighted(f, 4, 4, a, b, false), untouched) << a << "x" << b;
}

}  // namespace
}  // namespace kmm
