// Pseudo-colour: the palettes' telling entries, each pixel format's layout on a tiny image,
// and the output size of every format on odd sizes.
#include <gtest/gtest.h>

#include <array>
#include <random>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/palette_tables.h"

namespace kmm {
namespace {

using Rgb = std::array<int, 3>;

TEST(Palettes, TellingEntries) {
    struct Row { bool ycc; uint32_t palette; uint8_t grey; Rgb entry; };
    for (const Row& r : std::vector<Row>{
             {false, 0, 128, {156, 155, 156}}, {false, 0, 255, {226, 2, 6}},
             {false, 3, 128, {255, 88, 0}}, {false, 5, 0, {255, 255, 255}}, {false, 6, 255, {254, 254, 254}},
             {true, 0, 0, {16, 128, 128}}, {true, 0, 255, {236, 128, 128}}, {true, 8, 128, {125, 128, 128}}}) {
        const uint8_t* e = r.ycc ? yccEntry(r.palette, r.grey) : rgbEntry(r.palette, r.grey);
        EXPECT_EQ((Rgb{e[0], e[1], e[2]}), r.entry) << (r.ycc ? "ycc " : "rgb ") << r.palette << " at " << int(r.grey);
    }
    for (uint32_t p = 0; p < kPaletteCount; ++p) {  // RGB 7..11 are empty; 0..6 opaque
        EXPECT_EQ(rgbEntry(p, 200)[3], p < 7 ? 255 : 0) << p;
    }
}

// One coloured pixel in each packed format, then a 4 x 2 grey image through Y/Cb/Cr palette 0
// (Y = 16 + ceil(220 g / 255), chroma 128) in every luma/chroma layout.
TEST(ColourLayout, EachFormatOnATinyImage) {
    const std::vector<uint8_t> grey = {0, 128, 255, 51, 102, 153, 204, 1};
    // Palette 1 (cubehelix) gives coloured pixels, so channel order shows.
    const uint8_t* c = rgbEntry(1, 128);
    const uint8_t* y = yccEntry(1, 128);
    struct Row { uint32_t palette; uint32_t format; std::vector<int> expected; };
    const std::vector<Row> rows = {
        {1, 0, {c[2], c[1], c[0]}}, {1, 1, {c[0], c[1], c[2], 255}}, {1, 2, {c[0], c[1], c[2]}},
        {1, 3, {(c[0] * 2048 + (c[1] & 63) * 32 + (c[2] & 31)) & 0xFF, ((c[0] * 2048 + (c[1] & 63) * 32 + (c[2] & 31)) >> 8) & 0xFF}},
        {1, 4, {y[0], y[1]}}, {1, 5, {y[0], y[2]}},
    };
    for (const Row& r : rows) {  // a single coloured pixel: the byte order of each format
        std::vector<uint8_t> one = {128};
        GuardedBuffer<uint8_t> out(colourOutputBytes(r.format, 1, 1));
        ASSERT_TRUE(colourByPalette(out.data(), one.data(), 1, 1, r.palette, r.format));
        EXPECT_EQ(std::vector<int>(out.data(), out.data() + out.size()), r.expected) << "format " << r.format;
    }
    const auto Y = [](int g) { return 16 + (g * 220 + 254) / 255; };
    const std::vector<int> ys = {Y(0), Y(128), Y(255), Y(51), Y(102), Y(153), Y(204), Y(1)};
    for (uint32_t format = 4; format < kColourFormatCount; ++format) {  // 4 x 2 grey: chroma all 128
        GuardedBuffer<uint8_t> out(colourOutputBytes(format, 4, 2), 0);
        ASSERT_TRUE(colourByPalette(out.data(), grey.data(), 4, 2, 0, format));
        std::vector<int> expected;
        if (format < 6) {
            for (int g : ys) expected.insert(expected.end(), {g, 128});
        } else {
            expected = ys;
            expected.resize(format < 8 ? 16 : 12, 128);  // 4:2:2 planes: 4 + 4; 4:2:0: two pairs
        }
        EXPECT_EQ(std::vector<int>(out.data(), out.data() + out.size()), expected) << "format " << format;
    }
}

// Chroma placement of the 4:2:0 and 4:2:2 layouts: a 4 x 2 image whose top-left pixels of the
// two 2 x 2 blocks are coloured differently from the rest.
TEST(ColourLayout, ChromaComesFromTheRightPixels) {
    const std::vector<uint8_t> grey = {40, 0, 200, 0, 0, 0, 0, 0};
    const uint8_t* a = yccEntry(3, 40);
    const uint8_t* b = yccEntry(3, 200);
    const uint8_t* z = yccEntry(3, 0);
    struct Row { uint32_t format; size_t at; std::vector<int> expected; };
    for (const Row& r : std::vector<Row>{
             {6, 8, {a[1], b[1], z[1], z[1], a[2], b[2], z[2], z[2]}},   // even pixel indices 0,2,4,6
             {7, 8, {a[2], b[2], z[2], z[2], a[1], b[1], z[1], z[1]}},
             {8, 8, {a[1], a[2], b[1], b[2]}}, {9, 8, {a[2], a[1], b[2], b[1]}},
             {10, 8, {a[1], b[1], a[2], b[2]}}, {11, 8, {a[2], b[2], a[1], b[1]}}}) {
        GuardedBuffer<uint8_t> out(colourOutputBytes(r.format, 4, 2));
        ASSERT_TRUE(colourByPalette(out.data(), grey.data(), 4, 2, 3, r.format));
        EXPECT_EQ(std::vector<int>(out.data() + r.at, out.data() + out.size()), r.expected) << "format " << r.format;
    }
}

// On odd sizes every format writes exactly up to its stated size: the last byte changes and
// nothing beyond it does.
TEST(ColourLayout, OutputSizeIsTheLastByteWritten) {
    std::mt19937 rng(7);
    for (auto [w, h] : {std::pair{1, 1}, {3, 1}, {1, 3}, {17, 5}, {5, 17}, {64, 3}, {641, 3}}) {
        std::vector<uint8_t> grey(size_t(w) * h);
        for (auto& g : grey) g = uint8_t(rng());
        for (uint32_t format = 0; format < kColourFormatCount; ++format) {
            const size_t bytes = colourOutputBytes(format, w, h);
            bool lastWritten = false;
            for (uint8_t fill : {uint8_t(0x00), uint8_t(0xFF)}) {
                GuardedBuffer<uint8_t> out(bytes, fill);
                ASSERT_TRUE(colourByPalette(out.data(), grey.data(), w, h, 4, format));
                lastWritten |= out[bytes - 1] != fill;
            }
            EXPECT_TRUE(lastWritten) << w << "x" << h << " format " << format;
        }
    }
}

TEST(ColourLayout, RefusalsAndPaletteFallback) {
    const std::vector<uint8_t> grey = {10, 20, 30, 40};
    EXPECT_EQ(colourOutputBytes(12, 2, 2), 0u);
    EXPECT_EQ(colourOutputBytes(0, 0, 2), 0u);
    EXPECT_EQ(colourBytesPerPixel(12), 0u);
    GuardedBuffer<uint8_t> untouched(16, 0x33);
    EXPECT_FALSE(colourByPalette(untouched.data(), grey.data(), 2, 2, 0, 12));
    EXPECT_EQ(untouched.contents(), std::vector<uint8_t>(16, 0x33));
    for (int64_t palette : {int64_t(12), int64_t(-1), int64_t(0xFFFFFFFF)}) {
        std::vector<uint8_t> fallback(12), zero(12);
        colourByPalette(fallback.data(), grey.data(), 2, 2, palette, 2);
        colourByPalette(zero.data(), grey.data(), 2, 2, 0, 2);
        EXPECT_EQ(fallback, zero) << palette;
    }
}

}  // namespace
}  // namespace kmm
