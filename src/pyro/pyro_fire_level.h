// fireLevel: where a Y16 value lies on the fire scale of a fireMode, as a level from 0 to 1,
// by segments between the library's Y16 of fixed temperatures and the context's level tables.
#pragma once

#include <cstdint>

#include "pyro/pyro_context.h"

namespace kmm {

// Writes *level for fireModes 4 to 8 (0 for any other mode but 9, which writes nothing).
// Asks the library for the Y16 of twelve temperatures on ctx.handle whether or not the
// instance is open. False when the scale is unusable (Y(0) >= Y(650) or Y(150) == Y(650)).
bool fireLevel(const PyroContext& ctx, int16_t y, int fireMode, float* level);

}  // namespace kmm
