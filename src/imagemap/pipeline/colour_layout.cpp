// Output sizes of the pseudo-colour formats, the layout writer and the plain palette
// colouring. Every pixel is one look-up in a small table built per call from the 256 colours,
// packed the way the format stores them.
#include "imagemap/pipeline/colour_layout.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "imagemap/pipeline/palette_tables.h"

namespace kmm {
namespace {

// Little-endian packing, so the bytes land in memory in the order given on any target.
constexpr uint32_t pack(uint32_t b0, uint32_t b1, uint32_t b2, uint32_t b3) {
    return b0 | b1 << 8 | b2 << 16 | b3 << 24;
}

void store32(uint8_t* p, uint32_t v) {
    const uint8_t bytes[] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    std::memcpy(p, bytes, sizeof bytes);
}

// 3 or 4 bytes a pixel from a packed table; a 3-byte pixel is stored as 4 bytes that the
// next pixel overwrites, and the last one is stored byte by byte.
void writePacked(uint8_t* out, const uint8_t* grey, size_t n, const std::array<uint32_t, 256>& t,
                 size_t bytesPerPixel) {
    if (n == 0) return;
    for (size_t i = 0; i + 1 < n; ++i) store32(out + i * bytesPerPixel, t[grey[i]]);
    const uint32_t last = t[grey[n - 1]];
    for (size_t b = 0; b < bytesPerPixel; ++b) out[(n - 1) * bytesPerPixel + b] = uint8_t(last >> (8 * b));
}

// Y, then Cb (even pixel) or Cr (odd pixel): two bytes a pixel from a table per parity.
void writeInterleaved422(uint8_t* out, const uint8_t* grey, size_t n, const uint8_t* ycc,
                         bool cbFirst) {
    std::array<uint16_t, 256> even, odd;
    for (int g = 0; g < 256; ++g) {
        const uint8_t* e = ycc + g * 4;
        even[size_t(g)] = uint16_t(e[0] | (cbFirst ? e[1] : e[2]) << 8);
        odd[size_t(g)] = uint16_t(e[0] | (cbFirst ? e[2] : e[1]) << 8);
    }
    for (size_t i = 0; i < n; ++i) {
        const uint16_t v = (i & 1) ? odd[grey[i]] : even[grey[i]];
        out[2 * i] = uint8_t(v);
        out[2 * i + 1] = uint8_t(v >> 8);
    }
}

void writeLuma(uint8_t* out, const uint8_t* grey, size_t n, const uint8_t* ycc) {
    std::array<uint8_t, 256> y;
    std::ranges::generate(y, [ycc, g = 0]() mutable { return ycc[4 * g++]; });
    for (size_t i = 0; i < n; ++i) out[i] = y[grey[i]];
}

}  // namespace

size_t colourOutputBytes(uint32_t format, int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) return 0;  // an unknown format falls through the switch
    const size_t n = size_t(width) * size_t(height);
    // Last 2 x 2 block index (its top-left pixel is on an even row and column).
    const size_t lastBlock = size_t((height - 1) / 2) * size_t(width / 2) + size_t((width - 1) / 2);
    switch (ColourFormat(format)) {
        case ColourFormat::Bgr24:
        case ColourFormat::Rgb24: return 3 * n;
        case ColourFormat::Rgba32: return 4 * n;
        case ColourFormat::Rgb16:
        case ColourFormat::YCbYCr:
        case ColourFormat::YCrYCb: return 2 * n;
        case ColourFormat::Planar422:
        case ColourFormat::Planar422Swapped: return n * 3 / 2 + (n - 1) / 2 + 1;
        case ColourFormat::SemiPlanar420:
        case ColourFormat::SemiPlanar420Swapped: return n + 2 * lastBlock + 2;
        case ColourFormat::Planar420:
        case ColourFormat::Planar420Swapped: return n * 5 / 4 + lastBlock + 1;
    }
    return 0;
}

bool writeColourLayout(uint8_t* out, const uint8_t* grey, int32_t width, int32_t height,
                       uint32_t format, GreyColours colours) {
    const size_t n = size_t(width) * size_t(height);
    const uint8_t* rgb = colours.rgb;
    const uint8_t* ycc = colours.ycc;
    std::array<uint32_t, 256> packed;
    const auto packEach = [&](auto of) {
        std::ranges::generate(packed, [&, g = 0]() mutable { return of(rgb + 4 * g++); });
    };
    switch (ColourFormat(format)) {
        case ColourFormat::Bgr24:
            packEach([](const uint8_t* e) { return pack(e[2], e[1], e[0], 0); });
            writePacked(out, grey, n, packed, 3);
            return true;
        case ColourFormat::Rgb24:
            packEach([](const uint8_t* e) { return pack(e[0], e[1], e[2], 0); });
            writePacked(out, grey, n, packed, 3);
            return true;
        case ColourFormat::Rgba32:
            packEach([](const uint8_t* e) { return pack(e[0], e[1], e[2], 255); });
            writePacked(out, grey, n, packed, 4);
            return true;
        case ColourFormat::Rgb16:
            // Red times 2048 keeps only its low five bits once the value is cut to 16 bits.
            packEach([](const uint8_t* e) {
                return uint32_t(uint16_t(uint32_t(e[0]) * 2048u + uint32_t(e[1] & 63) * 32u + (e[2] & 31u)));
            });
            for (size_t i = 0; i < n; ++i) {
                out[2 * i] = uint8_t(packed[grey[i]]);
                out[2 * i + 1] = uint8_t(packed[grey[i]] >> 8);
            }
            return true;
        case ColourFormat::YCbYCr:
        case ColourFormat::YCrYCb:
            writeInterleaved422(out, grey, n, ycc, format == uint32_t(ColourFormat::YCbYCr));
            return true;
        case ColourFormat::Planar422:
        case ColourFormat::Planar422Swapped: {
            const bool swapped = format == uint32_t(ColourFormat::Planar422Swapped);
            uint8_t* cb = out + (swapped ? n * 3 / 2 : n);
            uint8_t* cr = out + (swapped ? n : n * 3 / 2);
            writeLuma(out, grey, n, ycc);
            // In raster order, Cb before Cr: where the planes of an odd size overlap, the
            // later write stands.
            for (size_t i = 0; i < n; i += 2) {
                cb[i / 2] = ycc[grey[i] * 4 + 1];
                cr[i / 2] = ycc[grey[i] * 4 + 2];
            }
            return true;
        }
        case ColourFormat::SemiPlanar420:
        case ColourFormat::SemiPlanar420Swapped:
        case ColourFormat::Planar420:
        case ColourFormat::Planar420Swapped: {
            const bool semi = format <= uint32_t(ColourFormat::SemiPlanar420Swapped);
            const bool swapped = format == uint32_t(ColourFormat::SemiPlanar420Swapped) ||
                                 format == uint32_t(ColourFormat::Planar420Swapped);
            // Semi-planar: pair k at N + 2k (+1); planar: sample k at N + k and 5N/4 + k.
            uint8_t* first = out + n;
            uint8_t* second = semi ? out + n + 1 : out + n * 5 / 4;
            const size_t step = semi ? 2 : 1;
            const size_t blocksPerRow = size_t(width) / 2;
            writeLuma(out, grey, n, ycc);
            for (int32_t y = 0; y < height; y += 2) {
                const uint8_t* row = grey + size_t(y) * size_t(width);
                for (int32_t x = 0; x < width; x += 2) {  // each 2 x 2 block's top-left pixel
                    const uint8_t* e = ycc + row[x] * 4;
                    const size_t k = size_t(y / 2) * blocksPerRow + size_t(x / 2);
                    first[k * step] = swapped ? e[2] : e[1];
                    second[k * step] = swapped ? e[1] : e[2];
                }
            }
            return true;
        }
    }
    return false;
}

bool colourByPalette(uint8_t* out, const uint8_t* grey, int32_t width, int32_t height,
                     int64_t palette, uint32_t format) {
    const uint32_t p = paletteOrDefault(palette);
    return writeColourLayout(out, grey, width, height, format, {rgbEntry(p, 0), yccEntry(p, 0)});
}

}  // namespace kmm
