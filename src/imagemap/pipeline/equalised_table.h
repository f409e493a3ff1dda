// The module-wide state of the equalised mapping: its cumulative table and the grey range of
// its last run. The library's only mutable state, shared by every ImagePipeline and
// unguarded: two equalised or mixed mappings must not run at the same time.
#pragma once

#include <array>
#include <cstdint>

namespace kmm {

// Running sums of the plateau-limited histogram; the last entry is the total. Holds the last
// equalised mapping's table until the next one (the temperature-aware colouring reads it).
extern std::array<uint32_t, 65536> cumulativeTable;
// The grey range of the last equalised mapping.
extern int32_t rangeValue;

}  // namespace kmm
