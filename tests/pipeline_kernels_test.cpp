// The pipeline's fast kernels against plain per-value references, at every instruction-set
// level, on random lines of odd lengths with canaries around every output.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <utility>
#include <numeric>
#include <tuple>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "imagemap/pipeline/region_division.h"
#include "kernels/conversions.h"
#include "kernels/simd_level.h"
#include "random.h"

namespace kmm {
namespace {

template <class Body> void atEveryLevel(Body&& body) {
    for (const SimdLevel level : supportedSimdLevels()) {
        const ScopedSimdLevel scope(level);
        SCOPED_TRACE(simdLevelName(level));
        body();
    }
}

// The adaptive equalisation as first written: per pixel, the four tile maps weighted by the
// distances to their centres in 64-bit integers, one quotient per pixel; maps clip to 0..255.
std::vector<uint8_t> equalisedDirectly(const std::vector<uint8_t>& src, int32_t w, int32_t h,
                                       int32_t tilesX, int32_t tilesY, int64_t levels = 255) {
    tilesX = std::clamp(tilesX, 1, std::min(w, 64));
    tilesY = std::clamp(tilesY, 1, std::min(h, 64));
    const auto starts = [](int32_t side, int32_t tiles) {  // tile starts, region starts
        std::vector<int32_t> tile, region{0};
        for (int32_t t = 0; t <= tiles; ++t) tile.push_back(t < tiles ? t * (side / tiles) : side);
        for (int32_t t = 0; t < tiles; ++t) region.push_back((tile[size_t(t)] + tile[size_t(t) + 1]) / 2);
        region.push_back(side);
        return std::pair(tile, region);
    };
    const auto [tileX, regionX] = starts(w, tilesX);
    const auto [tileY, regionY] = starts(h, tilesY);
    const auto indexIn = [](const std::vector<int32_t>& at, int32_t v) {
        return int32_t(std::upper_bound(at.begin(), at.end(), v) - at.begin()) - 1;
    };
    std::vector<std::array<uint64_t, 256>> hist(size_t(tilesX * tilesY));
    for (int32_t i = 0; i < w * h; ++i) ++hist[size_t(indexIn(tileY, i / w) * tilesX + indexIn(tileX, i % w))][src[size_t(i)]];
    const auto [smallest, largest] = std::minmax_element(src.begin(), src.end());
    const uint64_t clip = uint64_t(w / tilesX) * uint64_t(h / tilesY) * 5 / 1024 + 1;
    const int64_t r = std::min<int64_t>(*largest - *smallest + 1, 128) * levels / 128;
    std::vector<std::array<uint8_t, 256>> maps(hist.size());
    for (size_t t = 0; t < hist.size(); ++t) {
        uint64_t excess = 0, total = 0;
        const uint64_t pixels = std::accumulate(hist[t].begin(), hist[t].end(), uint64_t{0});
        for (const uint64_t c : hist[t]) excess += c > clip ? c - clip : 0;
        for (size_t g = 0; g < 256; ++g) {
            total += std::min(hist[t][g], clip) + excess / 256 + (g < excess % 256);
            maps[t][g] = clampToByte(int64_t(total * uint64_t(r) / pixels) + (255 - r) / 2);
        }
    }
    std::vector<uint8_t> dst(src.size());
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const int32_t rx = indexIn(regionX, x), ry = indexIn(regionY, y);
            const int64_t rw = regionX[size_t(rx) + 1] - regionX[size_t(rx)], dx = x - regionX[size_t(rx)];
            const int64_t rh = regionY[size_t(ry) + 1] - regionY[size_t(ry)], dy = y - regionY[size_t(ry)];
            const auto map = [&](int32_t ty, int32_t tx) {
                return int64_t(maps[size_t(std::clamp(ty, 0, tilesY - 1) * tilesX + std::clamp(tx, 0, tilesX - 1))][src[size_t(y * w + x)]]);
            };
            const int64_t upper = map(ry - 1, rx - 1) * (rw - dx) + map(ry - 1, rx) * dx;
            const int64_t lower = map(ry, rx - 1) * (rw - dx) + map(ry, rx) * dx;
            dst[size_t(y * w + x)] = uint8_t((lower * dy + upper * (rh - dy)) / (rw * rh));
        }
    }
    const auto n = int64_t(src.size());
    const int64_t shift = std::accumulate(src.begin(), src.end(), int64_t{0}) / n - std::accumulate(dst.begin(), dst.end(), int64_t{0}) / n;
    for (auto& g : dst) g = clampToByte(g + shift);
    return dst;
}

TEST(PipelineKernels, ZoomMatchesThePerPixelTaps) {
    scenes::SplitMix64 rng(19);
    atEveryLevel([&] {
        for (const auto& [w, h] : {std::pair(1, 1), {3, 1}, {17, 5}, {641, 13}}) {
            std::vector<uint8_t> src(size_t(w * h));
            for (auto& g : src) g = uint8_t(rng.next());
            for (const float zoom : {1.0f, 1.5f, 2.0f, 2.7f, 4.0f}) {
                const int32_t zw = zoomedSide(w, zoom), zh = zoomedSide(h, zoom);
                for (const uint32_t mode : {0u, 1u}) {
                    GuardedBuffer<uint8_t> out(size_t(zw) * size_t(zh));
                    zoomImage(out.data(), src.data(), w, h, zoom, mode);
                    const auto tap = [&](int32_t i, int32_t side) {  // first, second, fraction
                        const float at = float(i) * (1.0f / zoom);
                        const int32_t whole = std::min(int32_t(at), side - 1);
                        return std::tuple(whole, std::min(whole + 1, side - 1), at - float(whole));
                    };
                    for (int32_t y = 0; y < zh; ++y) {
                        for (int32_t x = 0; x < zw; ++x) {
                            const auto [x0, x1, fx] = tap(x, w);
                            const auto [y0, y1, fy] = tap(y, h);
                            const auto at = [&](int32_t r, int32_t c) { return float(src[size_t(r * w + c)]); };
                            const float v = at(y0, x0) * (1.0f - fy) * (1.0f - fx) + at(y0, x1) * (1.0f - fy) * fx +
                                            at(y1, x0) * fy * (1.0f - fx) + at(y1, x1) * fy * fx;
                            const uint8_t expected = mode == 0 ? src[size_t(y0 * w + x0)] : uint8_t(v);
                            ASSERT_EQ(out[size_t(y) * size_t(zw) + size_t(x)], expected) << zoom << " " << x << "," << y;
                        }
                    }
                }
            }
        }
    });
}

TEST(PipelineKernels, FixedWindowRunIsTheNarrowMappingWithItsStatistics) {
    std::vector<int16_t> frame(641 * 3);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = int16_t(i * 7919 % 700);
    atEveryLevel([&] {
        ImagePipeline p(641, 3, 1.0f);
        p.setColumnStripeFilter(false), p.setPseudoColour(false), p.setMappingMode(3), p.setRangeHigh(50), p.setCustomTuning(1);
        std::vector<uint8_t> image(frame.size()), narrow(frame.size());
        ASSERT_TRUE(p.run(frame.data(), image.data(), image.size()));
        mapFixedWindow(narrow.data(), frame.data(), 641, 3, 50, 0, true);  // custom tuning pads a narrow window less
        EXPECT_EQ(image, narrow);
        const auto [lo, hi] = std::minmax_element(image.begin(), image.end());
        const uint64_t sum = std::accumulate(image.begin(), image.end(), uint64_t{0});
        EXPECT_EQ(p.imageStats, (std::array<uint8_t, 4>{*hi, *lo, uint8_t(sum / image.size()), uint8_t(*hi - *lo)}));
    });
}

TEST(PipelineKernels, AdaptiveEqualisationMatchesThePerPixelBlend) {
    scenes::SplitMix64 rng(13);
    atEveryLevel([&] {
        for (const auto& [w, h] : {std::pair(1, 1), {3, 1}, {17, 5}, {64, 32}, {641, 513}}) {  // 64: rows of whole 8-grey reads
            std::vector<uint8_t> src(size_t(w * h));
            // A diagonal ramp with noise, so that every tile has a map of its own.
            for (int32_t i = 0; i < w * h; ++i)
                src[size_t(i)] = uint8_t(rng.next() % 13 == 0 ? rng.next() : i % w * 150 / w + i / w * 60 / h + rng.next() % 40);
            for (const auto& [tx, ty, levels] : {std::tuple(2, 2, 255), {1, 1, 255}, {3, 5, 301}, {8, 7, 255}, {100, 1, 255}}) {
                ImagePipeline p(w, h, 1.0f);
                p.claheTilesX = uint32_t(tx), p.claheTilesY = uint32_t(ty);
                p.claheLevels = uint32_t(levels);
                GuardedBuffer<uint8_t> dst(src.size());
                p.equaliseAdaptive(dst.data(), src.data(), w, h);
                ASSERT_EQ(dst.contents(), equalisedDirectly(src, w, h, tx, ty, levels)) << w << "x" << h << " " << tx << "x" << ty;
            }
            // Reusing the saved maps: a grid that changes across only starts from its own maps;
            // on the same grid each run blends with the maps of the run before it.
            ImagePipeline reuse(w, h, 1.0f);
            reuse.claheReuseMaps = 1;
            std::vector<uint8_t> dst(src.size()), inverted(src.size());
            reuse.equaliseAdaptive(dst.data(), src.data(), w, h);
            reuse.claheTilesX = 3;
            reuse.equaliseAdaptive(dst.data(), src.data(), w, h);
            ASSERT_EQ(dst, equalisedDirectly(src, w, h, 3, 2)) << w << "x" << h;
            for (size_t i = 0; i < src.size(); ++i) inverted[i] = uint8_t(255 - src[i]);
            reuse.equaliseAdaptive(dst.data(), inverted.data(), w, h);
            if (w > 100) { EXPECT_NE(dst, equalisedDirectly(inverted, w, h, 3, 2)); }
            reuse.equaliseAdaptive(dst.data(), inverted.data(), w, h);
            ASSERT_EQ(dst, equalisedDirectly(inverted, w, h, 3, 2)) << w << "x" << h;
        }
    });
    // Tiles of one pattern share their maps: every blend is a whole multiple of the 5 x 5 area.
    std::vector<uint8_t> tiled(15 * 15);
    for (size_t i = 0; i < tiled.size(); ++i) tiled[i] = uint8_t((i / 15 % 5 * 5 + i % 15 % 5) * 10);
    ImagePipeline t(15, 15, 1.0f);
    t.claheTilesX = t.claheTilesY = 3;
    std::vector<uint8_t> out(tiled.size());
    t.equaliseAdaptive(out.data(), tiled.data(), 15, 15);
    EXPECT_EQ(out, equalisedDirectly(tiled, 15, 15, 3, 3));
    // A row and a column of 2^24 + 2 pixels: middle regions too large for 32-bit sums.
    const int32_t n = (1 << 24) + 2;
    std::vector<uint8_t> src(static_cast<size_t>(n)), dst(src.size());
    for (int32_t i = 0; i < n; ++i) src[size_t(i)] = uint8_t(i / (n / 200) + (i & 7));
    for (const auto& [w, h] : {std::pair(n, 1), {1, n}}) {
        ImagePipeline(w, h, 1.0f).equaliseAdaptive(dst.data(), src.data(), w, h);
        EXPECT_EQ(dst, equalisedDirectly(src, w, h, 2, 2)) << w;
    }
}

// The blend's divisions by a region's area are floor division: the narrow one up to the
// largest numerator, the wide one at whole multiples too, where its double product can fall
// just short of the quotient. Areas are odd, so their reciprocals are inexact.
TEST(PipelineKernels, RegionDivisionsAreFloorDivision) {
    scenes::SplitMix64 rng(17);
    for (int i = 0; i < 400; ++i) {
        const int64_t area = int64_t(rng.next() % uint64_t(kNarrowArea)) | 1;
        const Reciprocal r = reciprocalOf(area);
        for (const uint64_t n : {uint64_t(INT32_MAX), rng.next() % (uint64_t(1) << 31), uint64_t(area) * (rng.next() % 256)})
            ASSERT_EQ(n * r.multiplier >> r.shift, n / uint64_t(area)) << n << " / " << area;
        const int64_t wide = kNarrowArea + 2 * int64_t(rng.next() % (uint64_t(1) << 36));
        for (int64_t k = 1; k < 256; ++k)
            for (const int64_t n : {k * wide - 1, k * wide, k * wide + int64_t(rng.next() % uint64_t(wide))})
                ASSERT_EQ(wideQuotient(n, 1.0 / double(wide), wide), n / wide) << n << " / " << wide;
    }
}

}  // namespace
}  // namespace kmm
