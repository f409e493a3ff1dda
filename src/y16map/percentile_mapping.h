// The linear percentile stretch of a Y16 frame: one gain and offset for the whole frame,
// with limits found 655 pixels in from each end of the histogram or given by the caller.
#pragma once

#include <cstdint>

namespace kmm {

// Pixels left out at each end when the limits come from the frame: a fixed number, so
// small frames lose a larger share.
inline constexpr int64_t kPercentileTail = 655;

// Maps count >= 1 Y16 values onto grey: g = trunc(v * gain / 1024) + offset, clamped, with
// the Q10 gain contrast / range (at most 8.0) and the offset that puts the mean at
// brightness. autoRange: the limits come from the frame and are written to maxY16, minY16
// (frames of fewer than 655 pixels report their own extremes; values below -16384 count as
// -16384). Otherwise the limits are read from them; a window with maxY16 < minY16 is empty
// and nothing is written (returns false).
bool mapLinearPercentile(uint8_t* dst, const int16_t* src, int64_t count, int32_t contrast,
                         int32_t brightness, int16_t& maxY16, int16_t& minY16, bool autoRange);

}  // namespace kmm
