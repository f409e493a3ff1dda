// The two constant signal tables (temperature in tenths of a degree per radiometric signal
// step) and the primitives that walk them: index search, fractional position, read-back and
// the emissivity blends between object and apparent temperature.
#pragma once

#include <cstdint>

namespace kmm {

struct SignalTable {
    const int16_t* entries;
    int32_t last;        // last position
    int32_t upperBound;  // 21000 (wide) or 8500 (narrow); the lower bound is always -450
};

inline constexpr int32_t kSignalTableFloor = -450;
inline constexpr int32_t kWideSignalTableSize = 40960;
inline constexpr int32_t kNarrowSignalTableSize = 16384;

const SignalTable& wideSignalTable();    // up to 2100.0 degC
const SignalTable& narrowSignalTable();  // the wide table capped at 850.0 degC

// Binary search for tenths t; on a plateau returns whichever equal entry it meets first.
uint32_t tempToSignalIndex(const SignalTable& table, int32_t tenths);
// Fractional signal position of tenths t (linear between neighbouring steps), as float.
float signalPosition(const SignalTable& table, int16_t tenths);
// The same two lookups by walking the table; the ones above read tables of their results.
uint32_t searchSignalIndex(const SignalTable& table, int32_t tenths);
float searchSignalPosition(const SignalTable& table, int16_t tenths);
// Temperature in tenths at fractional position x, truncated toward zero.
int32_t signalToTemp(const SignalTable& table, float x);
// Object temperature seen through emissivity pct (percent) against reference index ref.
int32_t apparentFromObject(const SignalTable& table, int16_t tenths, uint32_t ref, int32_t pct);
// The inverse blend: the object temperature behind an apparent one.
int32_t objectFromApparent(const SignalTable& table, int16_t tenths, uint32_t ref, int32_t pct);

// Temperature (degC, float) to table tenths: times 10 in float, truncated toward zero,
// saturated to 32 bits and kept in 16 bits (beyond +-3276.7 degC the value wraps).
int16_t toTableTenths(float celsius);
// Reference temperature (degC) to tenths in 32 bits, truncated toward zero, saturated.
int32_t toReferenceTenths(float celsius);
// Emissivity fraction to an integer percentage: times 100 in float, truncated, saturated.
int32_t toEmissivityPercent(float emissivity);

}  // namespace kmm
