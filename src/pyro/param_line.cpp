// paramLineOffset: a three-segment line in the difference D between reading R and reference
// Q, with slopes that lean on R's side of 2500. Single precision throughout, in the order
// the terms are written, so the truncations land on the same integers every time.
#include "pyro/param_line.h"

#include <cmath>

#include "kernels/conversions.h"

namespace kmm {
namespace {

constexpr size_t kRangeModeByte = 152;
constexpr size_t kReading = 172;
constexpr size_t kFirstBreak = 792;
constexpr size_t kSecondBreak = 794;
constexpr size_t kBaseOffset = 796;
// Each slope: its base, then its below-2500 and above-2500 terms.
constexpr size_t kFirstSlope = 798, kSecondSlope = 804, kThirdSlope = 810;
constexpr size_t kReference = 820;
constexpr int32_t kPivot = 2500;

// A slope in units per whole D unit: its base, leaning on the below or the above term when R
// is off 2500 to that side.
float slope(std::span<const uint8_t> line, size_t at, int32_t reading, int32_t reference) {
    const float base = float(paramField(line, at)) / 100.0f;
    const auto leaned = [&](size_t termAt) {
        const float term = float(paramField(line, termAt));
        // trunc to a whole number of hundredths before the last division.
        return std::trunc((term / 100.0f * float(kPivot - reference) / 100.0f + base) * 100.0f) /
               100.0f;
    };
    if (reading < kPivot) return leaned(at + 2);
    if (reading > kPivot) return leaned(at + 4);
    return base;
}

}  // namespace

int16_t paramField(std::span<const uint8_t> line, size_t offset) {
    if (offset + 2 > line.size()) return 0;
    return wrapToInt16(int64_t(line[offset]) | int64_t(line[offset + 1]) << 8);
}

int rangeMode(std::span<const uint8_t> line) {
    return line.size() > kRangeModeByte ? line[kRangeModeByte] & 0x0F : 0;
}

int32_t paramLineOffset(std::span<const uint8_t> line) {
    if (rangeMode(line) != 1 || line.size() < size_t(kParamLineMinLength)) return 0;
    const int32_t reading = paramField(line, kReading);
    const int32_t reference = paramField(line, kReference);
    const int32_t d = reading - reference;
    const auto slopeAt = [&](size_t at) { return slope(line, at, reading, reference); };
    const int32_t t1 = paramField(line, kFirstBreak);
    const int32_t t2 = paramField(line, kSecondBreak);
    const float off = float(paramField(line, kBaseOffset));
    const float dUnits = float(d) / 100.0f;
    float result;
    if (d < t1 * 100)
        result = (dUnits - float(t1)) * slopeAt(kFirstSlope) + off;
    else if (d < t2 * 100)
        result = (dUnits - float(t1)) * slopeAt(kSecondSlope) + off;
    else
        result = (dUnits - float(t2)) * slopeAt(kThirdSlope) +
                 float(t2 - t1) * slopeAt(kSecondSlope) + off;
    return saturatingTrunc<int32_t>(result);
}

}  // namespace kmm
