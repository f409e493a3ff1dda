// The pipeline's weight tables, the bordered frame and the two neighbourhood filters.
#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

#include "imagemap/pipeline/neighbourhood_filters.h"
#include "imagemap/pipeline/smoothing_kernels.h"

namespace kmm {
namespace {

constexpr int16_t kCanary = 0x5A5A;

TEST(ImagePipelineKernels, GaussianKernelSigma5RoundsBeforeNormalising) {
    std::array<uint32_t, 512> k{};
    buildGaussianKernel(k, 3, 3, 5);
    const std::array<uint32_t, 9> expected = {46, 343, 46, 343, 2536, 343, 46, 343, 46};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), k.begin()));
    EXPECT_EQ(std::accumulate(k.begin(), k.begin() + 9, 0u), 4092u);
    EXPECT_EQ(k[9], 0u);  // nothing past the 3 x 3 entries
}

TEST(ImagePipelineKernels, KernelThatDoesNotFitLeavesTheTableAlone) {
    std::array<uint32_t, 512> k;
    k.fill(7);
    for (auto [columns, rows] : {std::pair{23, 23}, {0, 3}, {3, -1}}) {
        buildGaussianKernel(k, columns, rows, 5);
        EXPECT_EQ(k[0], 7u) << columns << "x" << rows;
    }
    buildGaussianKernel(k, 3, 3, 0);  // degenerate sigma: defined, all zero
    EXPECT_EQ(k[4], 0u);
}

TEST(ImagePipelineKernels, WeightTableHeads) {
    struct Row {
        const char* what;
        void (*build)(std::span<uint32_t>, int32_t);
        int32_t sigma;
        std::vector<uint32_t> head;
    };
    const Row rows[] = {
        {"range 5", buildRangeTable, 5, {4096, 4015, 3781, 3421, 2974, 2484}},
        {"range 25", buildRangeTable, 25, {4096, 4093, 4083, 4067}},
        {"range 15", buildRangeTable, 15, {4096, 4087, 4060, 4015}},
        {"temporal 8", buildTemporalWeights, 8, {4096, 4016, 3785, 3425, 2967, 2454}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        std::array<uint32_t, 512> t{};
        r.build(t, r.sigma);
        EXPECT_EQ(std::vector<uint32_t>(t.begin(), t.begin() + r.head.size()), r.head);
    }
    std::array<uint32_t, 512> range5{};
    buildRangeTable(range5, 5);
    EXPECT_EQ(range5[511], 0u);
    std::array<uint32_t, 128> temporal{};
    buildTemporalWeights(temporal, 8);
    EXPECT_NE(temporal[16], 0u);
    for (std::size_t i = 17; i < temporal.size(); ++i) EXPECT_EQ(temporal[i], 0u) << i;
}

TEST(ImagePipelineKernels, BorderRepeatsEdgeValues) {
    // 3 x 2 frame, 5 x 3 window: two columns and one row of border on each side.
    const int16_t frame[] = {1, 2, 3,
                             4, 5, 6};
    std::vector<int16_t> bordered(7 * 4 + 1, kCanary);
    fillBorder(bordered.data(), frame, 3, 2, 5, 3);
    const std::vector<int16_t> expected = {1, 1, 1, 2, 3, 3, 3,
                                           1, 1, 1, 2, 3, 3, 3,
                                           4, 4, 4, 5, 6, 6, 6,
                                           4, 4, 4, 5, 6, 6, 6, kCanary};
    EXPECT_EQ(bordered, expected);
}

struct Frame {
    int32_t width, height;
    std::vector<int16_t> values;
};

// Runs a filter into a canary-guarded output; returns the output without the guard.
template <class Filter>
std::vector<int16_t> filtered(const Frame& f, Filter filter, bool expectWritten = true) {
    std::vector<int16_t> out(f.values.size() + 1, kCanary);
    std::vector<int16_t> bordered((f.width + 10) * (f.height + 10));
    EXPECT_EQ(filter(out.data(), f.values.data(), bordered.data()), expectWritten);
    EXPECT_EQ(out.back(), kCanary);
    out.pop_back();
    return out;
}

std::array<uint32_t, 512> sigma5Kernel() {
    std::array<uint32_t, 512> k{};
    buildGaussianKernel(k, 3, 3, 5);
    return k;
}

TEST(ImagePipelineKernels, GaussianOfUniformFramesRoundsDown) {
    const auto kernel = sigma5Kernel();
    // 600 x 4092 / 4096 = 599.4 -> 599; -599.4 rounds toward minus infinity to -600.
    for (auto [value, expected] : {std::pair<int16_t, int16_t>{600, 599}, {-600, -600},
                                   {0, 0}, {32767, 32735}}) {
        const Frame f{5, 4, std::vector<int16_t>(20, value)};
        const auto out = filtered(f, [&](int16_t* o, const int16_t* in, int16_t* b) {
            return gaussianFilter(o, in, f.width, f.height, 3, kernel, b);
        });
        EXPECT_EQ(out, std::vector<int16_t>(20, expected)) << value;
    }
}

TEST(ImagePipelineKernels, GaussianCornerSeesItsOwnValueOutside) {
    // One pixel of 4096 near the top-left corner of a 4 x 3 frame: its weight at pixel
    // (0, 0) is the sum of the kernel entries that land on it through the border.
    const auto kernel = sigma5Kernel();
    struct Row {
        int x, y;
        int16_t atCorner;
    };
    const Row rows[] = {{0, 0, 46 + 343 + 343 + 2536},  // itself and three border copies
                        {1, 0, 46 + 343},               // right neighbour and its copy above
                        {0, 1, 46 + 343},               // lower neighbour and its copy left
                        {1, 1, 46},                     // diagonal only
                        {2, 0, 0}};
    for (const Row& r : rows) {
        Frame f{4, 3, std::vector<int16_t>(12, 0)};
        f.values[r.y * 4 + r.x] = 4096;
        const auto out = filtered(f, [&](int16_t* o, const int16_t* in, int16_t* b) {
            return gaussianFilter(o, in, f.width, f.height, 3, kernel, b);
        });
        EXPECT_EQ(out[0], r.atCorner) << r.x << "," << r.y;
    }
}

TEST(ImagePipelineKernels, RangeWeightedFilterKeepsFlatFramesAndStrongEdges) {
    std::array<uint32_t, 512> table{};
    buildRangeTable(table, 5);
    Frame flat{6, 5, std::vector<int16_t>(30, -1234)};
    Frame spike{5, 5, std::vector<int16_t>(25, 100)};
    spike.values[12] = 1100;  // 1000 above its neighbours: their weight is entry 511, 0
    Frame step{6, 4, {}};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) step.values.push_back(x < 3 ? 0 : 500);
    for (const Frame* f : {&flat, &spike, &step}) {
        for (int window : {3, 5, 11}) {
            const auto out = filtered(*f, [&](int16_t* o, const int16_t* in, int16_t* b) {
                return rangeWeightedFilter(o, in, f->width, f->height, table, window, window, b);
            });
            EXPECT_EQ(out, f->values) << "window " << window;
        }
    }
}

TEST(ImagePipelineKernels, RangeWeightedFilterAveragesSmallDifferences) {
    // Centre 10 among eight 12s, sigma 5: weights 4096 (itself) and 8 x 3781 (difference 2).
    std::array<uint32_t, 512> table{};
    buildRangeTable(table, 5);
    Frame f{3, 3, std::vector<int16_t>(9, 12)};
    f.values[4] = 10;
    const auto out = filtered(f, [&](int16_t* o, const int16_t* in, int16_t* b) {
        return rangeWeightedFilter(o, in, 3, 3, table, 3, 3, b);
    });
    EXPECT_EQ(out[4], 11);  // 403936 / 34344 = 11.76, truncated
}

TEST(ImagePipelineKernels, FiltersRefuseWindowsTheyCannotServe) {
    const auto kernel = sigma5Kernel();
    const Frame f{4, 4, std::vector<int16_t>(16, 9)};
    for (int window : {1, 5}) {
        const auto out = filtered(f, [&](int16_t* o, const int16_t* in, int16_t* b) {
            return gaussianFilter(o, in, 4, 4, window, kernel, b);
        }, false);
        EXPECT_EQ(out, std::vector<int16_t>(16, kCanary));
    }
    for (auto [a, b] : {std::pair{0, 3}, {3, 12}, {13, 13}}) {
        const auto out = filtered(f, [&](int16_t* o, const int16_t* in, int16_t* bo) {
            return rangeWeightedFilter(o, in, 4, 4, kernel, a, b, bo);
        }, false);
        EXPECT_EQ(out, std::vector<int16_t>(16, kCanary));
    }
}

}  // namespace
}  // namespace kmm
