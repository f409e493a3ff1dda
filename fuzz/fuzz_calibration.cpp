// The calibration-curve functions on arbitrary records, curve blocks of exactly four curves
// and any temperature: they stay inside the block, a refused call gives its marker, and the
// setter touches only its own fields.
#include <cmath>
#include <cstring>

#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<CalibrationInput>();
    const int32_t length = p.curveLength % 2048;  // -2047 .. 2047
    const auto curves = in.values<uint16_t>(length > 0 ? 4 * size_t(length) : 0);
    const bool valid = length > 0 && p.curveType >= 0 && p.curveType <= 3;
    const float high = GetHighTemperature_dll(p.y16, curves.data(), length, nullptr,
                                              TempCalcInfo{}, p.state, p.config, p.curveType);
    const float low = GetLowTemperature_dll(p.y16, curves.data(), length, nullptr,
                                            TempCalcInfo{}, p.state, p.config, p.curveType);
    const int32_t y16 = ReverseCalculationLsb_dll(p.temperature, curves.data(), length,
                                                  p.high & 1, 0, p.state, p.config, p.curveType);
    if (!valid) check(std::isnan(high) && std::isnan(low) && y16 == KMM_NO_Y16);

    ParaConfig config = p.config, before = p.config;
    SetParaConfig_dll(&config, p.breakpoints, p.count, p.scalars[0], p.scalars[1], p.scalars[2],
                      p.scalars[3], p.scalars[4], p.scalars[5], p.scalars[6], p.setCurveType);
    const bool set = p.setCurveType <= 3 && p.count <= 10;
    if (!set) check(std::memcmp(&config, &before, sizeof config) == 0);
    // Bytes the setter does not own keep theirs.
    check(std::memcmp(config.reserved1, before.reserved1, sizeof config.reserved1) == 0);
    check(std::memcmp(config.reserved84, before.reserved84, sizeof config.reserved84) == 0);
    return 0;
}
