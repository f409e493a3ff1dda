// Pseudo-colour: every pixel format against a plain pixel-by-pixel layout on odd sizes, the
// refusals and the palette fallback.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "guarded_buffer.h"
#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/palette_tables.h"

namespace kmm {
namespace {

// Each format written pixel by pixel from the palette entries: packed colours, Y with Cb on
// even and Cr on odd pixels, luma planes with chroma from every other pixel (4:2:2) or from
// each 2 x 2 block's top-left pixel (4:2:0), in raster order where the planes of odd sizes
// overlap. Bytes between the planes keep the fill; the stated size ends at the last write.
std::vector<uint8_t> referenceLayout(const std::vector<uint8_t>& grey, int32_t w, int32_t h,
                                     uint32_t palette, uint32_t format, uint8_t fill) {
    std::vector<uint8_t> out(colourOutputBytes(format, w, h), fill);
    size_t end = 0;
    const auto put = [&](size_t at, std::vector<int> bytes) {
        for (int b : bytes) out.at(at++) = uint8_t(b);
        end = std::max(end, at);
    };
    const size_t n = grey.size();
    for (size_t i = 0; i < n; ++i) {
        const uint8_t *c = rgbEntry(palette, grey[i]), *y = yccEntry(palette, grey[i]);
        const int rgb16 = uint16_t(c[0] * 2048 + (c[1] & 63) * 32 + (c[2] & 31));
        switch (format) {
            case 0: put(3 * i, {c[2], c[1], c[0]}); break;
            case 1: put(4 * i, {c[0], c[1], c[2], 255}); break;
            case 2: put(3 * i, {c[0], c[1], c[2]}); break;
            case 3: put(2 * i, {rgb16 & 0xFF, rgb16 >> 8}); break;
            case 4: case 5: put(2 * i, {y[0], (i % 2 == 0) == (format == 4) ? y[1] : y[2]}); break;
            default: put(i, {y[0]});
        }
        if ((format == 6 || format == 7) && i % 2 == 0) {
            put((format == 6 ? n : n * 3 / 2) + i / 2, {y[1]});
            put((format == 6 ? n * 3 / 2 : n) + i / 2, {y[2]});
        }
    }
    for (int32_t r = 0; format >= 8 && r < h; r += 2) {
        for (int32_t x = 0; x < w; x += 2) {
            const uint8_t* e = yccEntry(palette, grey[size_t(r) * size_t(w) + size_t(x)]);
            const size_t k = size_t(r / 2) * size_t(w / 2) + size_t(x / 2);
            const bool semi = format <= 9, swapped = format == 9 || format == 11;
            put(semi ? n + 2 * k : n + k, {swapped ? e[2] : e[1]});
            put(semi ? n + 2 * k + 1 : n * 5 / 4 + k, {swapped ? e[1] : e[2]});
        }
    }
    EXPECT_EQ(end, out.size()) << "format " << format;
    return out;
}

TEST(ColourLayout, EveryFormatMatchesThePixelByPixelLayout) {
    std::mt19937 rng(7);
    for (auto [w, h] : {std::pair{1, 1}, {3, 1}, {1, 3}, {4, 2}, {17, 5}, {5, 17}, {641, 3}, {64, 33}}) {
        std::vector<uint8_t> grey(size_t(w) * size_t(h));
        for (auto& g : grey) g = uint8_t(rng());
        for (uint32_t format = 0; format < kColourFormatCount; ++format) {
            for (uint32_t palette : {0u, 1u, 3u, 8u}) {
                GuardedBuffer<uint8_t> out(colourOutputBytes(format, w, h), 0xA5);
                ASSERT_TRUE(colourByPalette(out.data(), grey.data(), w, h, palette, format));
                ASSERT_EQ(out.contents(), referenceLayout(grey, w, h, palette, format, 0xA5))
                    << w << "x" << h << " format " << format << " palette " << palette;
            }
        }
    }
}

TEST(ColourLayout, RefusalsAndPaletteFallback) {
    const std::vector<uint8_t> grey = {10, 20, 30, 40};
    for (uint32_t format = 0; format <= kColourFormatCount; ++format)  // and one unknown format
        EXPECT_EQ(colourOutputBytes(format, 0, 2) + colourOutputBytes(format, 2, 0), 0u) << format;
    EXPECT_EQ(colourOutputBytes(12, 2, 2) + colourBytesPerPixel(12), 0u);
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
