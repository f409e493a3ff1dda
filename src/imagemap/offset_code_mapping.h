// Offset-code grey mapping: signed 16-bit codes (T - 50 degC) x k, mapped either by a
// smoothed, plateau-equalised automatic range or by a plain linear window.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/frame_view.h"
#include "common/plateau_equalisation.h"
#include "common/work_block.h"

namespace kmm {

// The tuning of the automatic mapping. Gains and weights in Q10 (1024 = 1.0).
struct OffsetCodeTuning {
    int32_t smoothingSigma;  // of the 3 x 3 Gaussian, in tenths of a pixel
    int32_t detailGain;      // the detail layer is added with the weight detailGain x 64 / 1024
    uint8_t detailClamp;     // the detail layer's limit, +-
    int32_t contrast;        // grey span given to the percentile range
    int32_t brightness;      // grey level of the linear term at the mean code
    int32_t rangeKnee;       // ranges R below it get the gain divisor R + 4 (rangeKnee - R)
    int32_t spanLimit;       // largest grey span of the equalised term
    int32_t equaliseCentre;  // grey level at the middle of the equalised term
    int32_t plateau;         // largest count per code the equalisation takes (a quarter below R 128)
    int32_t highDiscard;     // per mille of the codes left out at the bright end
    int32_t lowDiscard;      // and at the dark end
};

// What the temperature-matrix entry uses: no detail, the 0.1 % / 99.9 % points.
inline constexpr OffsetCodeTuning kOffsetCodeEntryTuning{
    .smoothingSigma = 5, .detailGain = 0, .detailClamp = 20, .contrast = 220,
    .brightness = 110, .rangeKnee = 128, .spanLimit = 220, .equaliseCentre = 110,
    .plateau = 10, .highDiscard = 1, .lowDiscard = 1};

// The equalisation the automatic mapping runs on the smoothed codes: the tuning's values,
// with the plateau quartered on ranges below 128, a middle linear weight that stays at 820,
// the equalised term normalised at the upper percentile (codes above it run past the span)
// and its terms saturated rather than wrapped.
PlateauTuning offsetCodeEqualisation(const OffsetCodeTuning& tuning);

// Bytes of work memory mapOffsetCodesAuto takes from its block for a width x height frame.
size_t offsetCodeWorkBytes(int32_t width, int32_t height);

// Automatic mapping: smooths the codes with a 3 x 3 Gaussian (edge pixels repeated),
// equalises the smoothed frame between its lowDiscard / highDiscard points blended with a
// linear stretch, adds the clamped detail layer with detailGain, and writes the smoothed
// range it chose to maxCode and minCode. Its work memory comes from work.
// Choices of ours:
//  - Histogram counts are exact. A bin of more than 65535 pixels (common at 640 x 512) counts
//    fully toward the discard points; the cumulative table caps every count at the plateau.
//  - total = 0 (possible only with plateau < 4 on a range below 128) gives the equalised term
//    its base level instead of dividing by zero.
//  - The linear and equalised terms saturate to 16 bits, so codes far outside the chosen
//    range show as black or white instead of wrapping to a wrong grey.
//  - The detail term is formed in 64 bits, so any detailGain is safe.
void mapOffsetCodesAuto(uint8_t* image, FrameView<const int16_t> codes, int16_t& maxCode,
                        int16_t& minCode, const OffsetCodeTuning& tuning, WorkBlock& work);

// Linear window: codes below lowCode are 0, above highCode 255, in between a ramp in steps
// of trunc(130560 / (highCode - lowCode)) / 512. Returns false, with an all-black image,
// when highCode <= lowCode.
bool mapOffsetCodesWindow(uint8_t* image, FrameView<const int16_t> codes, int16_t highCode,
                          int16_t lowCode);

}  // namespace kmm
