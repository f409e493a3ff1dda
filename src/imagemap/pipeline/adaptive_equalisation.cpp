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
#include <bit>
#include <cstring>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/region_division.h"
#include "kernels/conversions.h"
#include "kernels/avx2_lanes.h"
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
// in one. Tables 4 KiB apart would alias (a load of one waits for a store to the other at the
// same grey, which in a flat scene is every increment), so they stand a little further apart.
constexpr int kRuns = 8;
constexpr int32_t kTableStride = 256 + 8;
constexpr int64_t kSmallTile = 4096;

using RunStarts = std::array<const uint8_t*, kRuns>;

void countRuns(uint32_t* tables, const RunStarts& starts, int32_t length) {
    const RunStarts run = starts;  // held in registers, apart from the tables
    for (int32_t x = 0; x < length; ++x) {
        for (int j = 0; j < kRuns; ++j) ++tables[j * kTableStride + run[j][x]];
    }
}

void countTile(uint32_t* histogram, const uint8_t* topLeft, int64_t w, int32_t width,
               int32_t height) {
    std::fill_n(histogram, 256, 0u);
    if (int64_t(width) * height < kSmallTile) {
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) ++histogram[topLeft[y * w + x]];
        }
        return;
    }
    alignas(64) uint32_t tables[kRuns * kTableStride] = {};
    RunStarts starts;
    int32_t y = 0;
    for (const auto runsEnd = height - height % kRuns; y < runsEnd; y += kRuns) {
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
        for (int32_t g = 0; g < 256; ++g) histogram[g] += tables[j * kTableStride + g];
    }
}

// An interpolation region: the maps of the four surrounding tile centres (upper left, upper
// right, lower left, lower right) and its size.
struct Region {
    const uint8_t *m1, *m2, *m3, *m4;
    int32_t width, height;
};

// Along row y of a region the blend's numerator of grey g is a + x b, with
// a = width (y m3 + (height - y) m1) and b = y (m4 - m3) + (height - y) (m2 - m1): both move
// by a fixed step from one row to the next. They sit side by side, one load for a pixel.
// Where the blend runs only down (the left and right edges), a + y b with a and b fixed serves
// every row instead: the position p along the blend is first + x step.
template <class Int>
struct Term {
    Int a, b;
};

struct Position {
    int32_t first, step;
};

template <class Int>
struct BlendTables {
    alignas(64) Term<Int> terms[256], steps[256];
};

// dst[x] = floor(numerator / area) for one row from pixel `from` on, the sum of what it wrote
// returned (at most 255 x width).
KMM_SIMD_BODY uint64_t blendNarrow(uint8_t* __restrict dst, const uint8_t* __restrict src,
                                   const Term<int32_t>* __restrict terms, int32_t from, int32_t width,
                                   Position p, Reciprocal r) {
    uint32_t sum = 0;
    for (int32_t x = from; x < width; ++x) {
        const Term<int32_t> t = terms[src[x]];
        const auto numerator = uint32_t(t.a + (p.first + x * p.step) * t.b);
        const auto q = uint32_t(numerator * r.multiplier >> r.shift);
        dst[x] = uint8_t(q);
        sum += q;
    }
    return sum;
}

#if KMM_SIMD_X86
// Eight pixels at a time. The compiler's own loop loads the two halves of a term apart and
// keeps the greys on the stack; here one read gives eight greys, one load each term, and the
// even and odd lanes' 64-bit products the quotients. Returns how many pixels it wrote.
[[gnu::target("avx2")]] int32_t blendNarrowAvx2(uint8_t* dst, const uint8_t* src,
                                               const Term<int32_t>* terms, int32_t width, Position p,
                                               Reciprocal r, uint64_t& sum) {
    const __m256i multiplier = _mm256_set1_epi64x(int64_t(r.multiplier));
    const __m128i shift = _mm_cvtsi32_si128(r.shift);
    const __m256i step = _mm256_set1_epi32(p.step), eightSteps = _mm256_set1_epi32(8 * p.step);
    __m256i ps = _mm256_add_epi32(_mm256_set1_epi32(p.first),
                                  _mm256_mullo_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7), step));
    __m256i sums = _mm256_setzero_si256();
    int32_t x = 0;
    for (const auto vectorEnd = width - width % 8; x < vectorEnd; x += 8) {
        uint64_t greys;
        std::memcpy(&greys, src + x, 8);
        const auto termsOf = [&](int k) {  // pixels k and k + 1: a, b, a, b
            int64_t first, second;
            std::memcpy(&first, terms + ((greys >> (8 * k)) & 255), 8);
            std::memcpy(&second, terms + ((greys >> (8 * k + 8)) & 255), 8);
            return _mm_set_epi64x(second, first);
        };
        const __m256 lower = _mm256_castsi256_ps(_mm256_set_m128i(termsOf(4), termsOf(0)));  // 0 1 | 4 5
        const __m256 upper = _mm256_castsi256_ps(_mm256_set_m128i(termsOf(6), termsOf(2)));  // 2 3 | 6 7
        const __m256i a = _mm256_castps_si256(_mm256_shuffle_ps(lower, upper, 0x88));
        const __m256i b = _mm256_castps_si256(_mm256_shuffle_ps(lower, upper, 0xDD));
        const __m256i n = _mm256_add_epi32(a, _mm256_mullo_epi32(ps, b));
        const __m256i even = _mm256_srl_epi64(_mm256_mul_epu32(n, multiplier), shift);
        const __m256i odd =
            _mm256_srl_epi64(_mm256_mul_epu32(_mm256_srli_epi64(n, 32), multiplier), shift);
        const __m256i q = _mm256_or_si256(even, _mm256_slli_epi64(odd, 32));
        sums = _mm256_add_epi32(sums, q);
        const __m128i words =
            _mm_packs_epi32(_mm256_castsi256_si128(q), _mm256_extracti128_si256(q, 1));
        _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + x), _mm_packus_epi16(words, words));
        ps = _mm256_add_epi32(ps, eightSteps);
    }
    uint32_t lanes[8];
    storeLanes(lanes, sums);
    for (const uint32_t lane : lanes) sum += lane;
    return x;
}
#endif

uint64_t blendRow(uint8_t* dst, const uint8_t* src, const Term<int32_t>* terms, int32_t width,
                  Position p, Reciprocal r) {
    uint64_t sum = 0;
    int32_t done = 0;
#if KMM_SIMD_X86
    if (runsAvx2()) done = blendNarrowAvx2(dst, src, terms, width, p, r, sum);
#endif
    return sum + blendNarrow(dst, src, terms, done, width, p, r);
}

// The same with 64-bit numerators.
KMM_SIMD_BODY uint64_t blendWide(uint8_t* __restrict dst, const uint8_t* __restrict src,
                                 const Term<int64_t>* __restrict terms, int32_t width, Position p,
                                 int64_t area) {
    const double inverse = 1.0 / static_cast<double>(area);
    uint64_t sum = 0;
    for (int32_t x = 0; x < width; ++x) {
        const Term<int64_t> t = terms[src[x]];
        const int64_t numerator = t.a + (p.first + int64_t(x) * p.step) * t.b;
        const int64_t q = wideQuotient(numerator, inverse, area);
        dst[x] = uint8_t(q);
        sum += uint64_t(q);
    }
    return sum;
}

uint64_t blendRow(uint8_t* dst, const uint8_t* src, const Term<int64_t>* terms, int32_t width,
                  Position p, int64_t area) {
    return dispatchSimd<blendWide>(dst, src, terms, width, p, area);
}

template <class Int>
KMM_SIMD_BODY void stepTables(BlendTables<Int>* __restrict t) {
    for (int32_t g = 0; g < 256; ++g) {
        t->terms[g].a += t->steps[g].a;
        t->terms[g].b += t->steps[g].b;
    }
}

// A corner region takes one map as it is (the blend of a map with itself): a gather the
// compiler cannot vectorise. On a little-endian processor eight greys come in one read; the
// sum is taken afterwards from the bytes written, which it can vectorise.
uint64_t mapPixels(uint8_t* __restrict dst, const uint8_t* __restrict src,
                   const uint8_t* __restrict map, int32_t width) {
    int32_t x = 0;
    if constexpr (std::endian::native == std::endian::little) {
        for (const auto vectorEnd = width - width % 8; x < vectorEnd; x += 8) {
            uint64_t greys;
            std::memcpy(&greys, src + x, sizeof greys);
            for (int k = 0; k < 8; ++k) dst[x + k] = map[(greys >> (8 * k)) & 255];
        }
    }
    for (; x < width; ++x) dst[x] = map[src[x]];
    uint32_t sum = 0;  // at most 255 x width, width < 2^23
    for (x = 0; x < width; ++x) sum += dst[x];
    return sum;
}

// Moves every grey by the same amount within 0..255: clamped first to the greys that stay in
// range (low..high), the move then never wraps, so it runs in bytes.
KMM_SIMD_BODY void shiftGreys(uint8_t* __restrict dst, uint64_t n, uint8_t low, uint8_t high,
                              uint8_t by) {
    for (uint64_t i = 0; i < n; ++i) dst[i] = uint8_t(std::clamp(dst[i], low, high) + by);
}

// Blends the region whose top left pixel is at dst and src (image rows w apart) and returns
// the sum of what it wrote.
template <class Int>
uint64_t blendRegion(uint8_t* dst, const uint8_t* src, int64_t w, const Region& r,
                     BlendTables<Int>& t) {
    uint64_t sum = 0;
    // The maps come from a grid (upper or lower row, left or right column), so with the upper
    // two and the left two alike the lower right one is that map too.
    if (r.m1 == r.m2 && r.m1 == r.m3) {
        for (int32_t y = 0; y < r.height; ++y) {
            sum += mapPixels(dst + y * w, src + y * w, r.m1, r.width);
        }
        return sum;
    }
    // Regions along the top and bottom edges blend the same two maps across every row; those
    // along the left and right edges blend two maps down, the same along a row. Maps are
    // shared only by an edge's upper and lower (or left and right) maps, which come in pairs.
    const bool across = r.m1 == r.m3, down = r.m1 == r.m2;
    const Int width = r.width, height = r.height;
    for (int32_t g = 0; g < 256; ++g) {
        const Int right = Int(r.m2[g]) - r.m1[g], lower = Int(r.m3[g]) - r.m1[g];
        t.terms[g] = {width * height * r.m1[g], down ? width * lower : height * right};
        t.steps[g] = {width * lower, (Int(r.m4[g]) - r.m3[g]) - right};
    }
    const Int area = width * height;
    const auto divisor = [area] {
        if constexpr (sizeof(Int) == 4) return reciprocalOf(area);
        else return area;
    }();
    for (int32_t y = 0; y < r.height; ++y) {
        if (y > 0 && !across && !down) dispatchSimd<stepTables<Int>>(&t);
        const Position p = down ? Position{y, 0} : Position{0, 1};
        sum += blendRow(dst + y * w, src + y * w, static_cast<const Term<Int>*>(t.terms), r.width, p,
                        divisor);
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
            countTile(histograms[size_t(ty) * size_t(tilesX) + size_t(tx)].data(),
                      src + int64_t(y0) * w + x0, w, ax.tileStart[size_t(tx) + 1] - x0, tileHeight);
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
        std::array<uint64_t, 256> cumulative;
        uint64_t total = 0;
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
        const auto low = uint8_t(std::max<int64_t>(-shift, 0));
        const auto high = uint8_t(255 - std::max<int64_t>(shift, 0));
        dispatchSimd<shiftGreys>(dst, n, low, high, uint8_t(shift));
    }
    savedTileMaps_.swap(maps);  // this run's maps, for the next run to reuse
}

}  // namespace kmm
