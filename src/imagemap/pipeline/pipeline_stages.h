// The stages of the ImagePipeline that need nothing of the object: plain functions over
// caller-owned frames and images, each in a file of its own. Every frame is width x height
// values, row-major; no stage reads or writes outside the sizes it is given.
#pragma once

#include <cstdint>

namespace kmm {

// ---- 16-bit stages ----

// out = (raw - dark) x (gain & 0x7FFF) / 8192 in 32 bits, truncated toward zero and kept in
// 16 bits. The input frame takes no part: the raw frame replaces it.
void correctFlatField(int16_t* out, const uint16_t* raw, const uint16_t* dark,
                      const uint16_t* gain, int64_t count);

// In place, in raster order: each pixel whose gain value has its top bit set becomes the
// median of its good neighbours (the up to eight inside the frame without that bit; one
// repaired earlier counts with its new value), the mean of the two middle ones, each halved
// toward zero, for an even count; a pixel without good neighbours stays.
void repairBadPixels(int16_t* frame, const uint16_t* gain, int32_t width, int32_t height);

// Mode 0 reverses each row, 1 the order of the rows, 2 both (a half turn). Another mode
// writes nothing and returns false.
bool mirrorFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height, uint32_t mode);

// Mode 0 a quarter turn clockwise, 1 a half turn, 2 a quarter turn counter-clockwise; the
// quarter turns write a height-wide, width-tall frame. Another mode writes nothing and
// returns false.
bool rotateFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height, uint32_t mode);

// out (height wide, width tall) takes in's value at (x, y) at row x, column y; flipRows and
// flipColumns count the rows or columns of out from the other end.
void transposeFrame(int16_t* out, const int16_t* in, int32_t width, int32_t height,
                    bool flipRows, bool flipColumns);

// ---- 8-bit stages ----

void applyLut(uint8_t* image, int64_t count, const uint8_t* lut);

// dst = src, then every pixel off the outer border becomes
// trunc(v (1 + amount) - m amount) in single precision, m the mean of its eight neighbours
// (shifted right by 3), limited to 0..255. Images under 3 x 3 are copied.
void sharpenImage(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height, float amount);

// In place: brightness - 128 + (v - mean) x gain / 128 + mean, truncated toward zero and
// limited to 0..255, mean the single-precision sum of the image over its size, rounded.
void adjustContrast(uint8_t* image, int64_t count, uint32_t gain, uint32_t brightness);

// The zoomed side: trunc(side x zoom) in single precision.
int32_t zoomedSide(int32_t side, float zoom);
// src (width x height) enlarged by zoom into dst (zoomedSide of each side): mode 0 nearest,
// 1 bilinear in single precision with the last row and column repeated.
void zoomImage(uint8_t* dst, const uint8_t* src, int32_t width, int32_t height, float zoom,
               uint32_t mode);

}  // namespace kmm
