// The twelve output pixel formats of the pseudo-colour stage, and one writer that lays out a
// grey image in any of them through a table of the colour of each grey level. The plain
// palette conversion and the temperature-aware colouring differ only in that table.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kmm {

enum class ColourFormat : uint32_t {
    Bgr24 = 0,              // B, G, R
    Rgba32 = 1,             // R, G, B, 255
    Rgb24 = 2,              // R, G, B
    Rgb16 = 3,              // R x 2048 + (G & 63) x 32 + (B & 31), kept in 16 bits, low byte first
    YCbYCr = 4,             // Y, then Cb for an even pixel index, Cr for an odd one
    YCrYCb = 5,             // as 4, Cr for even, Cb for odd
    Planar422 = 6,          // Y plane; Cb at N, Cr at 3N/2, one sample per even pixel index
    Planar422Swapped = 7,   // as 6, Cr at N, Cb at 3N/2
    SemiPlanar420 = 8,      // Y plane; (Cb, Cr) pairs at N, one per 2 x 2 block
    SemiPlanar420Swapped = 9,  // as 8, (Cr, Cb)
    Planar420 = 10,         // Y plane; Cb at N, Cr at 5N/4, one sample per 2 x 2 block
    Planar420Swapped = 11,  // as 10, Cr at N, Cb at 5N/4
};

inline constexpr uint32_t kColourFormatCount = 12;

// The stage's outBytesPerPixel for a format: 4 for Rgba32, 3 for every other known format,
// 0 for an unknown one.
constexpr uint32_t colourBytesPerPixel(uint32_t format) {
    return format == uint32_t(ColourFormat::Rgba32) ? 4 : (format < kColourFormatCount ? 3 : 0);
}

// Bytes a format writes for a width x height image, counted to the last byte written (the
// chroma planes of odd sizes overlap as their offsets say); 0 for an unknown format or size.
size_t colourOutputBytes(uint32_t format, int32_t width, int32_t height);

// The colour of every grey level, in both colour spaces: entry g holds (R, G, B, -) and
// (Y, Cb, Cr, -), 256 x 4 bytes each. A palette's rows are such tables; the
// temperature-aware colouring builds its own, because its marks depend on the grey alone.
struct GreyColours {
    const uint8_t* rgb;
    const uint8_t* ycc;
};

// Writes width x height pixels of grey in `format`, pixel i taking the colour of grey[i].
// Returns false (nothing written) for an unknown format.
bool writeColourLayout(uint8_t* out, const uint8_t* grey, int32_t width, int32_t height,
                       uint32_t format, GreyColours colours);

// Plain palette colouring: pixel i takes entry (palette, grey[i]) of the RGB table for
// formats 0..3 and of the Y/Cb/Cr table for formats 4..11. A palette outside 0..11 counts as
// 0. Returns false (nothing written) for an unknown format.
bool colourByPalette(uint8_t* out, const uint8_t* grey, int32_t width, int32_t height,
                     int64_t palette, uint32_t format);

}  // namespace kmm
