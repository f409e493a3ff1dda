// Contrast-limited adaptive equalisation of an 8-bit image: one clipped histogram equalisation
// per tile, blended bilinearly between the maps of the four nearest tile centres, then the
// image mean put back where it was.
//
// Tiles: tilesX x tilesY, each a whole share of the image (the last column and row of tiles
// take the remainder). Tile counts are limited to 1..64 and to the image's side, so every tile
// has a pixel. Between tile centres a pixel takes the four surrounding maps in proportion to
// its distance from each centre; outside the outermost centres, only the nearest one or two.
// The maps of each run are saved with their grid; claheReuseMaps interpolates with the saved
// ones (the previous run's, or this run's on the first) when they have the same grid.
#include <algorithm>
#include <array>
#include <type_traits>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/conversions.h"
#include "kernels/simd_dispatch.h"

namespace kmm {
namespace {

constexpr int32_t kMaxTiles = 64;

// The tiles along one side: where each starts, and where the interpolation regions start
// (the image edge, each tile centre, the image end).
struct Axis {
    std::vector<int32_t> tileStart;  // tiles + 1 entries, the last the side
    std::vector<int32_t> regionStart;  // tiles + 2 entries, the last the side
};

Axis axisOf(int32_t side, int32_t tiles) {
    Axis a;
    const int32_t size = side / tiles;
    for (int32_t t = 0; t < tiles; ++t) a.tileStart.push_back(t * size);
    a.tileStart.push_back(side);
    a.regionStart.push_back(0);
    for (int32_t t = 0; t < tiles; ++t) {
        a.regionStart.push_back(a.tileStart[size_t(t)] + (a.tileStart[size_t(t) + 1] - a.tileStart[size_t(t)]) / 2);
    }
    a.regionStart.push_back(side);
    return a;
}

// An increment waits for the one before it when both hit the same count, and neighbouring
// pixels often share a grey. A tile is read as eight runs at once, run j into table j: eight
// rows of the tile, or the eight parts of one of its last rows. Neighbours within a run then
// come eight increments apart, time enough for the one before to be stored, and runs never
// wait for each other. Tiles too small to repay clearing and merging the tables are counted
// in one.
constexpr int kRuns = 8;
constexpr int64_t kSmallTile = 4096;

void countRuns(uint32_t* tables, const uint8_t* const* starts, int32_t length) {
    const uint8_t* run[kRuns];
    std::copy_n(starts, kRuns, run);
    for (int32_t x = 0; x < length; ++x) {
        for (int j = 0; j < kRuns; ++j) ++tables[j * 256 + run[j][x]];
    }
}

void countTile(uint32_t* histogram, const uint8_t* topLeft, int64_t w, int32_t width, int32_t height) {
    std::fill_n(histogram, 256, 0u);
    if (int64_t(width) * height < kSmallTile) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) ++histogram[topLeft[y * w + x]];
        }
        return;
    }
    alignas(64) uint32_t tables[kRuns * 256] = {};
    const uint8_t* starts[kRuns];
    int32_t y = 0;
    for (; y + kRuns <= height; y += kRuns) {
        for (int j = 0; j < kRuns; ++j) starts[j] = topLeft + (y + j) * w;
        countRuns(tables, starts, width);
    }
    const int32_t part = width / kRuns;
    for (; y < height; ++y) {
        const uint8_t* row = topLeft + y * w;
        for (int j = 0; j < kRuns; ++j) starts[j] = row + j * part;
        countRuns(tables, starts, part);
        for (int32_t x = kRuns * part; x < width; ++x) ++histogram[row[x]];
    }
    for (int j = 0; j < kRuns; ++j) {
        for (int32_t g = 0; g < 256; ++g) histogram[g] += tables[j * 256 + g];
    }
}

// An interpolation region: the maps of the four surrounding tile centres (upper left, upper
// right, lower left, lower right) and its size.
struct Region {
    const uint8_t *m1, *m2, *m3, *m4;
    int32_t width, height;
};

// Along row y of a region the blend's numerator of grey g is a[g] + x b[g], with
// a = width (y m3 + (height - y) m1) and b = y (m4 - m3) + (height - y) (m2 - m1): both move
// by a fixed step from one row to the next.
template <class Int>
struct BlendTables {
    alignas(64) Int a[256], b[256], stepA[256], stepB[256];
};

// Regions up to this area keep every numerator (at most 255 x area) within 32 bits.
constexpr int64_t kNarrowArea = (int64_t(1) << 23) - 1;

// dst[x] = trunc(numerator / area) for one row, the sum of what it wrote returned. The
// quotient is at most 255: with 32-bit numerators (area below 2^23) the single-precision
// product errs by less than 0.0001 and a check either way mends the truncation; with 64-bit
// ones the double product errs by far less than the 1/area that separates a fraction from the
// next whole number, so only a whole quotient can come out just below itself.
template <class Int>
KMM_SIMD_BODY uint64_t blendPixels(uint8_t* __restrict dst, const uint8_t* __restrict src,
                                   const Int* __restrict a, const Int* __restrict b,
                                   int32_t width, Int area) {
    using Real = std::conditional_t<sizeof(Int) == 4, float, double>;
    const Real inverse = Real(1) / static_cast<Real>(area);
    Int sum = 0;  // at most 255 x width
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t g = src[x];
        const Int numerator = a[g] + Int(x) * b[g];
        Int q = static_cast<Int>(static_cast<Real>(numerator) * inverse);
        q += Int((q + 1) * area <= numerator);
        if constexpr (sizeof(Int) == 4) q -= Int(q * area > numerator);
        dst[x] = uint8_t(q);
        sum += q;
    }
    return uint64_t(sum);
}

template <class Int>
KMM_SIMD_BODY void stepTables(BlendTables<Int>* __restrict t) {
    for (int32_t g = 0; g < 256; ++g) {
        t->a[g] += t->stepA[g];
        t->b[g] += t->stepB[g];
    }
}

// A corner region takes one map as it is (the blend of a map with itself).
KMM_SIMD_BODY uint64_t mapPixels(uint8_t* __restrict dst, const uint8_t* __restrict src,
                                 const uint8_t* __restrict map, int32_t width) {
    uint32_t sum = 0;  // at most 255 x width, width < 2^23
    for (int32_t x = 0; x < width; ++x) {
        dst[x] = map[src[x]];
        sum += dst[x];
    }
    return sum;
}

// Moves every grey by the same amount within 0..255: clamped first to the greys that stay in
// range (low..high), the move then never wraps, so it runs in bytes.
KMM_SIMD_BODY void shiftGreys(uint8_t* __restrict dst, uint64_t n, uint8_t low, uint8_t high, uint8_t by) {
    for (uint64_t i = 0; i < n; ++i) dst[i] = uint8_t(std::clamp(dst[i], low, high) + by);
}

// Blends the region whose top left pixel is at dst and src (image rows w apart) and returns
// the sum of what it wrote.
template <class Int>
uint64_t blendRegion(uint8_t* dst, const uint8_t* src, int64_t w, const Region& r,
                     BlendTables<Int>& t) {
    uint64_t sum = 0;
    if (r.m1 == r.m2 && r.m1 == r.m3 && r.m1 == r.m4) {
        for (int32_t y = 0; y < r.height; ++y) {
            sum += dispatchSimd<mapPixels>(dst + y * w, src + y * w, r.m1, r.width);
        }
        return sum;
    }
    // Regions along the top and bottom edges blend the same two maps on every row.
    const bool sameRows = r.m1 == r.m3 && r.m2 == r.m4;
    const Int width = r.width, height = r.height;
    for (int32_t g = 0; g < 256; ++g) {
        t.a[g] = width * height * r.m1[g];
        t.b[g] = height * (Int(r.m2[g]) - r.m1[g]);
        t.stepA[g] = width * (Int(r.m3[g]) - r.m1[g]);
        t.stepB[g] = (Int(r.m4[g]) - r.m3[g]) - (Int(r.m2[g]) - r.m1[g]);
    }
    const Int area = width * height;
    for (int32_t y = 0; y < r.height; ++y) {
        if (y > 0 && !sameRows) dispatchSimd<stepTables<Int>>(&t);
        sum += dispatchSimd<blendPixels<Int>>(dst + y * w, src + y * w, static_cast<const Int*>(t.a),
                                              static_cast<const Int*>(t.b), r.width, area);
    }
    return sum;
}

}  // namespace

void ImagePipeline::equaliseAdaptive(uint8_t* dst, const uint8_t* src, int32_t w, int32_t h) {
    const int32_t tilesX = int32_t(std::clamp<uint32_t>(claheTilesX, 1, uint32_t(std::min(w, kMaxTiles))));
    const int32_t tilesY = int32_t(std::clamp<uint32_t>(claheTilesY, 1, uint32_t(std::min(h, kMaxTiles))));
    const Axis ax = axisOf(w, tilesX), ay = axisOf(h, tilesY);
    const size_t tiles = size_t(tilesX) * size_t(tilesY);

    std::vector<std::array<uint32_t, 256>> histograms(tiles);
    for (int32_t ty = 0; ty < tilesY; ++ty) {
        const int32_t y0 = ay.tileStart[size_t(ty)], tileHeight = ay.tileStart[size_t(ty) + 1] - y0;
        for (int32_t tx = 0; tx < tilesX; ++tx) {
            const int32_t x0 = ax.tileStart[size_t(tx)];
            countTile(histograms[size_t(ty) * size_t(tilesX) + size_t(tx)].data(), src + int64_t(y0) * w + x0, w,
                      ax.tileStart[size_t(tx) + 1] - x0, tileHeight);
        }
    }
    // The image's extremes and byte sum, from the histograms.
    std::array<uint64_t, 256> whole{};
    for (const auto& histogram : histograms) {
        for (size_t g = 0; g < 256; ++g) whole[g] += histogram[g];
    }
    uint64_t sourceSum = 0;
    int32_t smallest = 255, largest = 0;
    for (int32_t g = 0; g < 256; ++g) {
        if (whole[size_t(g)] == 0) continue;
        sourceSum += whole[size_t(g)] * uint64_t(g);
        smallest = std::min(smallest, g);
        largest = std::max(largest, g);
    }
    const int64_t span = largest - smallest + 1;

    // Each tile's map: the histogram clipped, the excess spread evenly (the first excess mod
    // 256 greys one more), and the running sum spread over r levels centred on 127.5.
    const uint64_t clipLimit = uint64_t(w / tilesX) * uint64_t(h / tilesY) * claheClipFactor / 1024 + 1;
    const int64_t r = std::min<int64_t>(span, 128) * int64_t(claheLevels) / 128;
    std::vector<uint8_t> maps(tiles * 256);
    for (size_t t = 0; t < tiles; ++t) {
        std::array<uint32_t, 256>& histogram = histograms[t];
        uint64_t excess = 0;
        for (uint32_t& count : histogram) {
            if (count > clipLimit) {
                excess += count - clipLimit;
                count = uint32_t(clipLimit);
            }
        }
        uint64_t cumulative[256], total = 0;
        for (size_t g = 0; g < 256; ++g) {
            total += histogram[g] + excess / 256 + (g < excess % 256 ? 1 : 0);
            cumulative[g] = total;
        }
        // total is the tile's pixel count, at least 1; r is below 2^32, so cumulative x r
        // stays within 64 bits.
        for (size_t g = 0; g < 256; ++g) {
            maps[t * 256 + g] = clampToByte(int64_t(cumulative[g] * uint64_t(r) / total) + (255 - r) / 2);
        }
    }

    if (claheRuns == 0 || savedTilesX_ != uint32_t(tilesX) || savedTilesY_ != uint32_t(tilesY)) {
        savedTileMaps_ = maps;  // the first run's maps, or the first of a new grid
        savedTilesX_ = uint32_t(tilesX);
        savedTilesY_ = uint32_t(tilesY);
    }
    ++claheRuns;
    const uint8_t* chosen = claheReuseMaps ? savedTileMaps_.data() : maps.data();

    // Region (rx, ry) lies between the centres of tiles rx - 1 and rx (limited to the grid)
    // across, and likewise down.
    uint64_t destinationSum = 0;
    BlendTables<int32_t> narrow;
    BlendTables<int64_t> wide;
    for (int32_t ry = 0; ry <= tilesY; ++ry) {
        const int32_t y0 = ay.regionStart[size_t(ry)], regionHeight = ay.regionStart[size_t(ry) + 1] - y0;
        const size_t upper = size_t(std::max(ry - 1, 0)), lower = size_t(std::min(ry, tilesY - 1));
        for (int32_t rx = 0; rx <= tilesX; ++rx) {
            const int32_t x0 = ax.regionStart[size_t(rx)], regionWidth = ax.regionStart[size_t(rx) + 1] - x0;
            if (regionWidth == 0 || regionHeight == 0) continue;
            const size_t left = size_t(std::max(rx - 1, 0)), right = size_t(std::min(rx, tilesX - 1));
            const uint8_t* m1 = chosen + (upper * size_t(tilesX) + left) * 256;   // upper left
            const uint8_t* m2 = chosen + (upper * size_t(tilesX) + right) * 256;  // upper right
            const uint8_t* m3 = chosen + (lower * size_t(tilesX) + left) * 256;   // lower left
            const uint8_t* m4 = chosen + (lower * size_t(tilesX) + right) * 256;  // lower right
            const Region region{m1, m2, m3, m4, regionWidth, regionHeight};
            const int64_t offset = int64_t(y0) * w + x0;
            destinationSum += int64_t(regionWidth) * regionHeight <= kNarrowArea
                ? blendRegion(dst + offset, src + offset, w, region, narrow)
                : blendRegion(dst + offset, src + offset, w, region, wide);
        }
    }

    // The mean back where it was: both means are whole quotients of the sums.
    const uint64_t n = uint64_t(w) * uint64_t(h);
    const int64_t shift = int64_t(sourceSum / n) - int64_t(destinationSum / n);
    if (shift != 0) {  // both means are greys, so |shift| < 256
        const auto low = uint8_t(shift < 0 ? -shift : 0), high = uint8_t(shift > 0 ? 255 - shift : 255);
        dispatchSimd<shiftGreys>(dst, n, low, high, uint8_t(shift));
    }
    savedTileMaps_.swap(maps);  // this run's maps, for the next run to reuse
}

}  // namespace kmm
