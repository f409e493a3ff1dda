// Filling the curve configuration record that the host keeps and passes to the curve
// functions by value.
#pragma once

#include <cstdint>

#include "KModuleMeasure.h"

namespace kmm {

struct ParaConfigValues {
    float settingHigh, settingLow, curveStartTemp, extraParam;
    float emissivity, reflectedTemp, transmission;
};

// The breakpoint array's capacity; a longer list is refused.
inline constexpr uint8_t kMaxBreakpoints = 10;

// Writes the scalar fields, breakpointCount = count and formatTag = 2, and copies count raw
// 32-bit words of breakpoints; every other byte of the record keeps what it held.
// count must not exceed kMaxBreakpoints.
void fillParaConfig(ParaConfig& config, const void* breakpoints, uint8_t count,
                    const ParaConfigValues& values);

}  // namespace kmm
