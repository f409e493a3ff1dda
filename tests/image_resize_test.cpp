// image_resize_dll: the worked examples, the refused sizes, and the row-blending loop
// against the four-weight sum on random frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "KModuleMeasure.h"
#include "failing_allocation.h"
#include "guarded_buffer.h"
#include "imagemap/image_resize.h"
#include "kernels/simd_level.h"
#include "kernels/streaming_copy.h"
#include "random.h"

namespace kmm {
namespace {

constexpr int16_t kSentinel = 0x5A5A;

// One destination pixel at a time from its four source values and weights, the mean kept as
// a float limited to -32767..32768 before the 16-bit store.
std::vector<int16_t> resizeReference(const std::vector<int16_t>& src, int32_t height,
                                     int32_t width, int32_t factor) {
    std::vector<int16_t> dst;
    auto at = [&](int32_t r, int32_t c) { return int64_t(src[size_t(r) * size_t(width) + size_t(c)]); };
    for (int64_t i = 0; i < int64_t(height) * factor; ++i) {
        const ResizeTap y = resizeTap(i, height, factor);
        for (int64_t j = 0; j < int64_t(width) * factor; ++j) {
            const ResizeTap x = resizeTap(j, width, factor);
            const int64_t sum = at(y.first, x.first) * (2048 - y.fraction) * (2048 - x.fraction) +
                                at(y.first, x.second) * (2048 - y.fraction) * x.fraction +
                                at(y.second, x.first) * y.fraction * (2048 - x.fraction) +
                                at(y.second, x.second) * y.fraction * x.fraction;
            dst.push_back(int16_t(std::max(std::min(float(sum >> 22), 32768.0f), -32767.0f)));
        }
    }
    return dst;
}

std::vector<int16_t> resize(const std::vector<int16_t>& src, int32_t height, int32_t width,
                            int32_t factor, size_t dstSize) {
    GuardedBuffer<int16_t> dst(dstSize, kSentinel, int16_t(0x7777));
    image_resize_dll(dst.data(), src.data(), height, width, factor);
    return dst.contents();
}

// x2 pins where the taps repeat the last row and column (the reference shares resizeTap);
// rounding and the -32767 floor are the differential test's, on x1 and x3 frames too.
TEST(ImageResize, WorkedExamples) {
    EXPECT_EQ(resize({0, 100, 200, 300}, 2, 2, 2, 16),
              (std::vector<int16_t>{0, 50, 100, 100, 100, 150, 200, 200, 200, 250, 300, 300, 200, 250, 300, 300}));
    EXPECT_EQ(std::pair(resizeTap(1, 640, 3).fraction, resizeTap(2, 640, 3).fraction), std::pair(682, 1365));
}

TEST(ImageResize, RefusedSizesAndNullBuffersWriteNothing) {
    const std::vector<int16_t> src(64, 1234);
    const struct { const char* what; int32_t height, width, factor; } rows[] = {
        {"factor 0", 4, 4, 0},           {"negative factor", 4, 4, -2},
        {"one pixel wide", 8, 1, 4},     {"one row high", 1, 8, 4},
        {"empty", 0, 0, 3},              {"negative sizes", -4, -4, -4},
        {"result beyond 2^31 - 1 per side", 2, 2, 1 << 30},
        {"one side beyond 2^31 - 1", 2, 3, 1000000000}, {"the other side", 3, 2, 1000000000},
        {"smallest int sizes", INT32_MIN, INT32_MIN, 2},
    };
    for (const auto& r : rows) {
        GuardedBuffer<int16_t> dst(64, kSentinel);
        test::AllocationFailure none(0);  // a refused call does not even ask for memory
        image_resize_dll(dst.data(), src.data(), r.height, r.width, r.factor);
        EXPECT_FALSE(none.reached()) << r.what;
        EXPECT_TRUE(std::all_of(dst.data(), dst.data() + 64, [](int16_t v) { return v == kSentinel; })) << r.what;
    }
    GuardedBuffer<int16_t> dst(16, kSentinel);
    image_resize_dll(dst.data(), nullptr, 2, 2, 2);
    image_resize_dll(nullptr, src.data(), 2, 2, 2);
    EXPECT_EQ(dst.contents(), std::vector<int16_t>(16, kSentinel));
}

// The row-blending loop against the four-weight reference on random frames; enlarging a
// narrow-range frame never leaves the range of the source.
// Factor 2 has its own loop at every instruction-set level, whose rows past half the largest
// cache are streamed out: each x2 case goes both ways.
TEST(ImageResize, RowBlendingMatchesTheFourWeightSum) {
    for (const SimdLevel level : supportedSimdLevels()) {
        const ScopedSimdLevel scope(level);
        scenes::SplitMix64 rng(5);
        for (const auto& [height, width, factor] : {std::tuple{2, 3, 2}, {5, 7, 3}, {33, 17, 7},
                                                    {5, 17, 2}, {3, 2, 2}, {4, 3, 1}, {2, 2, 1}, {513, 1025, 2}}) {
            std::vector<int16_t> src(size_t(height * width));
            for (auto& v : src) v = int16_t(rng.next() >> (rng.next() % 16));  // wide and narrow
            src[0] = -32768;
            const size_t n = size_t(height * width * factor * factor);
            const std::vector<int16_t> expected = resizeReference(src, height, width, factor);
            EXPECT_EQ(resize(src, height, width, factor, n), expected) << simdLevelName(level) << " " << height << "x" << width << " x" << factor;
            GuardedBuffer<int16_t> streamed(n, kSentinel, int16_t(0x7777));
            resizeFrame(streamed.data(), {src.data(), width, height}, factor, 0);
            EXPECT_EQ(streamed.contents(), expected) << "streamed";
        }
    }
}

// The threshold for streaming is half the largest cache: the size read from the processor
// is the one the operating system reports, where both know it.
TEST(ImageResize, LargestCacheIsTheOneTheSystemReports) {
    size_t reported = 0, kib = 0;  // sizes read as "32768K"
    for (int i = 0; i < 8; ++i)
        if (std::ifstream("/sys/devices/system/cpu/cpu0/cache/index" + std::to_string(i) + "/size") >> kib)
            reported = std::max(reported, kib << 10);
    if (reported == 0 || largestCacheBytes() == 0) GTEST_SKIP() << "the cache sizes are not known";
    EXPECT_EQ(largestCacheBytes(), reported);
    EXPECT_EQ(streamingThreshold(), reported / 2);
}

}  // namespace
}  // namespace kmm
