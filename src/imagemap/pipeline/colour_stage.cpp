// The pseudo-colour stage: a palette by grey level (kind 0), or the temperature-aware
// colouring (kind 1, any other kind counting as 0), which marks the greys of frame values
// beyond the mark thresholds in the mark colours. Both come down to a colour for each of the
// 256 greys, which the layout writer lays out in the chosen format.
#include <algorithm>
#include <array>

#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/palette_tables.h"
#include "kernels/linear.h"

namespace kmm {
namespace {

struct Rgb {
    int32_t r, g, b;
};

// A packed 0xRRGGBB mark colour; 0 and all bits set stand for the palette's top colour.
Rgb markColourOf(uint32_t packed, uint32_t palette) {
    if (packed == 0 || packed == 0xFFFFFFFFu) {
        const uint8_t* top = rgbEntry(palette, 255);
        return {top[0], top[1], top[2]};
    }
    return {int32_t(packed >> 16 & 0xFF), int32_t(packed >> 8 & 0xFF), int32_t(packed & 0xFF)};
}

// v limited to 0..255 and truncated (v is always finite here).
uint8_t byteOf(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f)); }

}  // namespace

uint8_t ImagePipeline::greyOfValue(int32_t v) const {
    const int32_t bin = histogramIndex(v, {histogramOffset, false});
    const uint8_t equalised = equalisedGrey(equalised_.at(bin), equalisedRange, equalised_.total,
                                            equalisedBase(equalisedRange, lastEqualiseBrightness));
    return mixedGrey(equalised, linearGrey(v, linearGain, linearOffset),
                     mixedLinearWeight(lastSpan, presetTuning));
}

void ImagePipeline::colourise(uint8_t* out, const uint8_t* grey, int32_t w, int32_t h,
                              const int16_t* frame, int64_t frameCount) const {
    const uint32_t p = paletteOrDefault(palette);
    if (paletteKind != 1) {
        colourByPalette(out, grey, w, h, p, colourFormat);
        return;
    }
    const auto [smallest, largest] = std::minmax_element(frame, frame + frameCount);
    const ColourParams& c = colourParams;
    const int32_t high = greyOfValue(c.markHigh), low = greyOfValue(c.markLow);
    const int32_t gMax = greyOfValue(*largest), gMin = greyOfValue(*smallest);
    const Rgb mark = markColourOf(c.markColour, p), lowMark = markColourOf(c.lowMarkColour, p);
    const uint32_t mode = std::min(c.markMode, 3u);
    const int32_t threshold =
        mode == 0 ? byteOf(static_cast<float>(high) - static_cast<float>(gMax - high) * 0.1f)
        : mode == 1 && low < gMax ? byteOf(static_cast<float>(low) - static_cast<float>(low - gMin) * 0.1f)
                                  : low;

    std::array<uint8_t, 1024> rgb, ycc;  // four bytes a grey, as in the palettes; the fourth unread
    for (int32_t g = 0; g < 256; ++g) {
        const uint8_t* entry = rgbEntry(p, uint8_t(g));
        Rgb colour{entry[0], entry[1], entry[2]};
        if (mode == 0 && g > threshold) {
            colour = {g * mark.r >> 8, mark.g, mark.b};
        } else if (mode == 1 && g <= threshold) {
            colour = {mark.r, std::min((g * mark.g >> 8) + 10, 255), mark.b};
        } else if (mode == 2 && g > high) {
            colour = {g * mark.r >> 8, mark.g, mark.b};
        } else if (mode == 2 && g <= low) {
            colour = {lowMark.r, std::min((g * lowMark.g >> 8) + 10, 255), lowMark.b};
        } else if (mode == 3 && g >= low && g <= high) {
            colour = {mark.r * g >> 8, mark.g * g >> 8, mark.b};
        }
        // Studio-range luma and chroma of the colour, in single precision.
        const float r = static_cast<float>(colour.r), gr = static_cast<float>(colour.g),
                    b = static_cast<float>(colour.b);
        uint8_t* e = rgb.data() + g * 4;
        e[0] = uint8_t(colour.r), e[1] = uint8_t(colour.g), e[2] = uint8_t(colour.b);
        uint8_t* y = ycc.data() + g * 4;
        y[0] = byteOf(0.183f * r + 0.614f * gr + 0.062f * b + 16.0f);
        y[1] = byteOf(128.0f - 0.101f * r - 0.339f * gr + 0.439f * b);
        y[2] = byteOf(128.0f + 0.439f * r - 0.399f * gr - 0.040f * b);
    }
    writeColourLayout(out, grey, w, h, colourFormat, {rgb.data(), ycc.data()});
}

}  // namespace kmm
