// The conversions every subsystem shares: the explicit 16-bit wrap, the one saturating
// float-to-integer conversion, and the 8-bit clamp.
#pragma once

#include <concepts>
#include <cstdint>
#include <limits>

namespace kmm {

// The low 16 bits of v read as two's complement: what "kept in a signed 16-bit value" means.
constexpr int16_t wrapToInt16(int64_t v) {
    return static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint64_t>(v)));
}

// Truncation toward zero that never invokes undefined behaviour: NaN gives 0, values beyond
// the target's range give its nearest end. For in-range values it equals static_cast<Int>(v).
template <std::integral Int, std::floating_point Float>
constexpr Int saturatingTrunc(Float v) {
    using Limits = std::numeric_limits<Int>;
    // 2^digits (the first value past max) is exact in every float format for these widths.
    constexpr Float pastMax = static_cast<Float>(Limits::max() / 2 + 1) * Float(2);
    if (v != v) return 0;
    if (v >= pastMax) return Limits::max();
    if constexpr (Limits::is_signed) {
        if (v <= static_cast<Float>(Limits::min())) return Limits::min();
    } else {
        if (v <= Float(0)) return 0;
    }
    return static_cast<Int>(v);
}

template <std::integral Int>
constexpr uint8_t clampToByte(Int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace kmm
