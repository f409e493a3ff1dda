// Plateau-limited histogram equalisation blended with a linear stretch: the automatic range
// of the Y16 AGC display paths and of the offset-code temperature mapping. One composition of
// the kernels (histogram, percentile range, gain with a knee, limited running total, table);
// the users differ only in the tuning data below.
#pragma once

#include <cstdint>
#include <optional>

#include "kernels/histogram.h"

namespace kmm {

// Where the equalised term's running total is normalised.
enum class TotalAt : uint8_t {
    HighestIndex,     // cumulative[kMax]: the equalised term reaches `span` at the top
    UpperPercentile,  // cumulative[kHigh]: indices above kHigh run past `span`
};

// How the equalised and linear terms are kept in 16 bits before blending. The two differ only
// for values far outside the percentile range, where a wrap can turn the brightest pixels
// black (or the darkest white); saturation keeps them at their end of the grey scale.
enum class TermOverflow : uint8_t { Wrap, Saturate };

// The tuning of one equalisation. All integers; gains and weights in Q10 (1024 = 1.0).
//
//  index            grey-level index of a value (offset, halved scale)
//  contrast         grey span given to the percentile range; numerator of the gain
//  brightness       grey level the linear term gives to the mean value
//  rangeKnee        ranges R below this get the divisor R + 4 * (rangeKnee - R)
//  spanLimit        largest grey span of the equalised term: span = min(R, spanLimit)
//  equaliseCentre   grey level at the middle of the equalised term (eqBase = centre -
//                   span / 2); none: the equalised term starts at 0
//  plateau          largest count per index that the cumulative table takes
//  narrowPlateauBelow  when R is below this, the plateau is cut to a quarter (trunc);
//                   0 never cuts
//  lowDiscard,      per mille of the values ignored at the dark and the bright end when
//  highDiscard      the percentile range kLow..kHigh is found
//  maxGain          gain limit in units of 1.0 (the gain is at most maxGain * 1024)
//  midWeightRise    for 20 < R <= 100 the linear weight is
//                   820 + trunc((100 - R) * midWeightRise / 80): 204 makes it rise to 1024
//                   toward R = 20, 0 keeps it at 820
//  totalAt          index whose cumulative count normalises the equalised term
//  termOverflow     how the two terms are brought into 16 bits
//  countLimit       largest count per index the percentile scans see: 65535 for 16-bit
//                   counters that stop there, no limit for exact counts
struct PlateauTuning {
    IndexMapping index;
    int32_t contrast = 255;
    int32_t brightness = 100;
    int32_t rangeKnee = 128;
    int32_t spanLimit = 180;
    std::optional<int32_t> equaliseCentre;
    int32_t plateau = 20;
    int32_t narrowPlateauBelow = 0;
    int32_t lowDiscard = 5;
    int32_t highDiscard = 5;
    int32_t maxGain = 4;
    int32_t midWeightRise = 204;
    TotalAt totalAt = TotalAt::HighestIndex;
    TermOverflow termOverflow = TermOverflow::Wrap;
    uint32_t countLimit = kExactCounts;
};

// The working tables of one run (about 832 KiB: allocate them, do not put them on the
// stack). Only the entries kMin..kMax of a run are written or meaningful: the histogram is
// cleared over that range alone, and nothing outside it is ever read, so the rest of each
// table may hold anything. Counts are exact (plain increments are the cheapest per pixel);
// a countLimit applies where they are read.
struct PlateauTables {
    Histogram histogram;
    uint32_t cumulative[kIndexCount];
    uint8_t lut[kIndexCount];
};

// What a run found, for callers that report the range or test the steps.
struct PlateauResult {
    int32_t kMin = 0, kMax = 0;    // occupied index range
    int32_t valueMin = 0, valueMax = 0;  // the values behind it
    int32_t kLow = 0, kHigh = 0;   // percentile range
    int32_t range = 1;             // R = kHigh - kLow + 1, always >= 1
    int32_t mean = 0;              // floor(mean index) - offset
    int32_t gain = 0;              // Q10
    int32_t weight = 1024;         // Q10 weight of the linear term
};

// Builds tables.lut over kMin..kMax for count >= 1 values; afterwards every value v maps
// to tables.lut[histogramIndex(v, tuning.index)].
//
// Notes:
//  1. When the limited counts cannot reach lowCount or highCount (more than countLimit
//     values on one index of a huge frame), or the two ends cross, the range falls back to
//     the occupied range kMin..kMax.
//  2. lowCount and highCount are count * discard / 1000 computed in 64 bits.
//  3. A zero normalising total (only when the plateau in use is below 1) makes the
//     equalised term eqBase.
//  4. The equalised and linear terms are kept in 16 bits before blending, as the
//     fixed-point design has it: wrapped or saturated, as tuning.termOverflow says.
PlateauResult equalisePlateau(const PlateauTuning& tuning, const int16_t* values, int64_t count,
                              PlateauTables& tables);

}  // namespace kmm
