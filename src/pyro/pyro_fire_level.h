// fireLevel: where a Y16 value lies on the fire scale of a fireMode, as a level from 0 to 1,
// by segments between the library's Y16 of fixed temperatures and the context's level tables.
#pragma once

#include <cstdint>
#include <optional>

#include "pyro/pyro_context.h"

namespace kmm {

// The level for fireModes 4 to 8, 0 for any other mode but 9, which has none. The scale comes
// from the library's Y16 of twelve temperatures; on a scale the library makes unusable
// (Y(0) >= Y(650) or Y(150) == Y(650)) only a y below Y(-20) (0) or above Y(2000) (1) has a
// level.
std::optional<float> fireLevel(const PyroContext& ctx, int16_t y, int fireMode);

}  // namespace kmm
