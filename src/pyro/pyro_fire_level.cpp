// fireLevel: a power curve on the first segment, straight lines on the others, with the
// segment ends taken from the library's own Y16 of the scale's temperatures.
#include "pyro/pyro_fire_level.h"

#include <array>
#include <cmath>
#include <optional>

namespace kmm {
namespace {

// The scale's temperatures (degC) and their places in the Y16 table.
constexpr std::array<float, 12> kScaleTemps = {-20.0f, 0.0f,   100.0f, 125.0f, 150.0f, 250.0f,
                                               300.0f, 400.0f, 450.0f, 500.0f, 650.0f, 2000.0f};
enum Scale { kM20, k0, k100, k125, k150, k250, k300, k400, k450, k500, k650, k2000 };

// A mode's segment ends in ascending order and its level table; the last segment is open
// upwards (any value above the second-to-last end falls into it).
struct Segments {
    int table;
    int count;  // ends in use
    std::array<Scale, 6> ends;
};

bool segmentsOf(int fireMode, Segments& out) {
    switch (fireMode) {
        case 4: case 5: out = {0, 6, {k0, k150, k300, k450, k650, k2000}}; return true;
        case 6: out = {1, 6, {k0, k250, k400, k500, k650, k2000}}; return true;
        case 7: case 8: out = {2, 5, {k0, k100, k125, k150, k650}}; return true;
        default: return false;
    }
}

}  // namespace

std::optional<float> fireLevel(const PyroContext& ctx, int16_t y, int fireMode) {
    if (fireMode == 9) return std::nullopt;
    std::array<int16_t, 12> scale;
    for (size_t i = 0; i < scale.size(); ++i) {
        scale[i] = -1;
        PYRO_CalcY16ByTemp(ctx.handle(), kScaleTemps[i], &scale[i]);
    }
    std::optional<float> offScale;
    if (y < scale[kM20])
        offScale = 0.0f;
    else if (y > scale[k2000])
        offScale = 1.0f;
    if (scale[k0] >= scale[k650] || scale[k150] == scale[k650]) return offScale;

    Segments seg;
    if (!segmentsOf(fireMode, seg)) return 0.0f;
    int s = 0;
    while (s < seg.count - 2 && y > scale[seg.ends[size_t(s) + 1]]) ++s;
    const int32_t lo = scale[seg.ends[size_t(s)]], hi = scale[seg.ends[size_t(s) + 1]];
    // A segment of zero width (the library gave two ends the same Y16) counts as its start.
    const float f = hi == lo ? 0.0f : float(y - lo) / float(hi - lo);
    const LevelTable& t = ctx.levelTables[size_t(seg.table)];
    if (s == 0)
        // Below Y(0) the power has no real value: the level stops at 0.
        return f < 0.0f ? 0.0f : std::pow(f, 0.6f) * t[1];
    return t[size_t(s)] + (t[size_t(s) + 1] - t[size_t(s)]) * f;
}

}  // namespace kmm
