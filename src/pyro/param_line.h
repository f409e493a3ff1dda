// The parameter line as this library reads it itself: the range mode, the value for base
// selector 28, and the Y16 offset correction paramLineOffset.
#pragma once

#include <cstdint>
#include <span>

namespace kmm {

// Listed models read fields up to byte 821; a shorter line opens no instance.
inline constexpr int32_t kParamLineMinLength = 822;

// Signed 16-bit little-endian field at offset; 0 when the line is too short to hold it.
int16_t paramField(std::span<const uint8_t> line, size_t offset);

// The low 4 bits of byte 152 (0 when the line is too short).
int rangeMode(std::span<const uint8_t> line);

// The module's own Y16 offset, truncated toward zero; 0 unless rangeMode is 1. The frame and
// Y16 corrections use its low 16 bits.
int32_t paramLineOffset(std::span<const uint8_t> line);

}  // namespace kmm
