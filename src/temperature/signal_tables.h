// The two constant signal tables (temperature in tenths of a degree per radiometric signal
// step) and the primitives that walk them: index search, fractional position, read-back and
// the emissivity blends between object and apparent temperature.
#pragma once

#include <cstddef>
#include <cstdint>

#include "kernels/conversions.h"

namespace kmm {

struct SignalTable {
    const int16_t* entries;
    int32_t last;        // last position
    int32_t upperBound;  // 21000 (wide) or 8500 (narrow); the lower bound is always -450
    // The searches' answers for every tenth strictly between the floor and upperBound, from
    // floor + 1 on; null in a table that has not been tabulated.
    const uint16_t* lastMids;
    const float* positions;
};

inline constexpr int32_t kSignalTableFloor = -450;
inline constexpr int32_t kWideSignalTableSize = 40960;
inline constexpr int32_t kNarrowSignalTableSize = 16384;

const SignalTable& wideSignalTable();    // up to 2100.0 degC
const SignalTable& narrowSignalTable();  // the wide table capped at 850.0 degC

// Binary search for tenths t; on a plateau returns whichever equal entry it meets first.
// The two lookups below read tables of the searches' answers; the search* forms walk the table.
uint32_t searchSignalIndex(const SignalTable& table, int32_t tenths);
float searchSignalPosition(const SignalTable& table, int16_t tenths);

// Temperature (degC, float) to table tenths: times 10 in float, truncated toward zero,
// saturated to 32 bits and kept in 16 bits (beyond +-3276.7 degC the value wraps).
inline int16_t toTableTenths(float celsius) {
    return wrapToInt16(saturatingTrunc<int32_t>(celsius * 10.0f));
}
// Reference temperature (degC) to tenths in 32 bits, truncated toward zero, saturated.
inline int32_t toReferenceTenths(float celsius) {
    return saturatingTrunc<int32_t>(celsius * 10.0f);
}
// Emissivity fraction to an integer percentage: times 100 in float, truncated, saturated.
inline int32_t toEmissivityPercent(float emissivity) {
    return saturatingTrunc<int32_t>(emissivity * 100.0f);
}

// The correction chains these steps one after another, so they are inline: each waits for
// the one before, and a call between them would lengthen the chain.
inline size_t searchSlot(int32_t tenths) { return size_t(tenths - (kSignalTableFloor + 1)); }

// Signal index of tenths t: the last position the binary search examines.
inline uint32_t tempToSignalIndex(const SignalTable& table, int32_t tenths) {
    if (tenths >= table.upperBound) return uint32_t(table.last);
    if (tenths <= kSignalTableFloor) return 0;
    return table.lastMids[searchSlot(tenths)];
}

// Fractional signal position of tenths t (linear between neighbouring steps), as float.
inline float signalPosition(const SignalTable& table, int16_t tenths) {
    if (tenths >= table.upperBound) return float(table.last);
    if (tenths <= kSignalTableFloor) return 0.0f;
    return table.positions[searchSlot(tenths)];
}

// Temperature in tenths at fractional position x, truncated toward zero.
inline int32_t signalToTemp(const SignalTable& table, float x) {
    const int32_t k = saturatingTrunc<int32_t>(x);
    const int32_t k0 = k < 0 ? 0 : (k > table.last ? table.last : k);
    const int32_t k1 = k0 + 1 < table.last ? k0 + 1 : table.last;
    const int32_t base = table.entries[k0];
    const int32_t rise = table.entries[k1] - base;
    // A flat step reads back its entry; skipping the product keeps an infinite x finite.
    if (rise == 0) return base;
    return saturatingTrunc<int32_t>(float(rise) * (x - float(k0)) + float(base));
}

// Object temperature seen through emissivity pct (percent) against reference index ref.
inline int32_t apparentFromObject(const SignalTable& table, int16_t tenths, uint32_t ref,
                                  int32_t pct) {
    const int64_t referencePart = (int64_t(100) - pct) * int64_t(ref);
    const float x =
        (float(referencePart) + float(pct) * signalPosition(table, tenths)) / 100.0f;
    return signalToTemp(table, x);
}

// The inverse blend: the object temperature behind an apparent one.
inline int32_t objectFromApparent(const SignalTable& table, int16_t tenths, uint32_t ref,
                                  int32_t pct) {
    if (pct < 1) return table.upperBound;
    if (pct > 98) return tenths;  // from 0.99 on the target counts as a black body
    const double p = signalPosition(table, tenths);
    const double referencePart = double((int64_t(100) - pct) * int64_t(ref));
    return signalToTemp(table, float((100.0 * p - referencePart) / double(pct)));
}

}  // namespace kmm
