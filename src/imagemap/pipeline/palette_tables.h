// The pseudo-colour palettes: 12 RGB palettes and 12 Y/Cb/Cr palettes of 256 entries each,
// generated constant data (data/generate_palettes.py says what each palette is).
#pragma once

#include <cstdint>

namespace kmm {

#include "imagemap/pipeline/data/palettes.inc"

inline constexpr uint32_t kPaletteCount = 12;

// A palette number outside 0..11 counts as 0.
constexpr uint32_t paletteOrDefault(int64_t palette) {
    return palette >= 0 && palette < kPaletteCount ? uint32_t(palette) : 0;
}

// The four bytes of entry g of a palette: (R, G, B, 255) or (Y, Cb, Cr, 0).
inline const uint8_t* rgbEntry(uint32_t palette, uint8_t g) {
    return kRgbPalettes + (size_t(palette) * 256 + g) * 4;
}
inline const uint8_t* yccEntry(uint32_t palette, uint8_t g) {
    return kYccPalettes + (size_t(palette) * 256 + g) * 4;
}

}  // namespace kmm
