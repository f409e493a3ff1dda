// Mode 2, the mixed mapping: the linear and equalised images of one frame blended by a
// weight that follows the scene's span, with custom, preset or default parameters.
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/conversions.h"
#include "kernels/grey_map.h"
#include "kernels/linear.h"

namespace kmm {

float mixedLinearWeight(int32_t lastSpan, uint32_t presetTuning) {
    float w;
    if (lastSpan <= 20) {
        w = 1.0f;
    } else if (lastSpan <= 100) {
        w = 0.8f;
    } else if (lastSpan < 300) {
        w = static_cast<float>(300 - lastSpan) * 0.8f / 200.0f + 0.2f;
    } else {
        w = 0.2f;
    }
    return presetTuning == 1 ? 0.8f : w * 0.5f;
}

void ImagePipeline::mapMixed(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                             MappingTables& tables) {
    struct Choice {
        uint32_t percentile, linearBrightness, linearContrast, maxRange, equaliseBrightness;
    };
    const Choice c = customTuning != 0
                         ? Choice{percentile, linearBrightness, linearContrast, equaliseMaxRange,
                                  equaliseBrightness}
                         : (presetTuning != 0 ? Choice{10, 60, 200, 180, 60}
                                              : Choice{10, 20, 300, equaliseMaxRange, 100});
    lastEqualiseBrightness = c.equaliseBrightness;

    // Both halves use the same percentile over the same frame, so one histogram serves
    // both (the equalisation reads counts the linear half leaves untouched).
    const int32_t count = width * height;
    const PercentileScan scan = scanHistogram(in, count, c.percentile, tables.histogram);
    const LinearMap linear = prepareLinear(scan, c.linearBrightness, c.linearContrast, minimumSpan);
    prepareEqualised(scan, plateau, c.maxRange, c.equaliseBrightness, tables);

    // Each half's grey, and so the blend, is a function of the value alone: blend once per
    // occupied value instead of once per pixel, then look every pixel up. The result is the
    // per-pixel blend of the linear and equalised images, bit for bit.
    const float linearWeight = mixedLinearWeight(lastSpan, presetTuning);
    const IndexMapping bins{histogramOffset, false};
    uint8_t* byValue = tables.byValue + 32768;
    buildMap(byValue, scan.minValue, scan.maxValue, [&](int32_t v) {
        return mixedGrey(tables.byBin[histogramIndex(v, bins)],
                         linearGrey(v, linear.gain, linear.offset), linearWeight);
    });
    applyMap(out, in, count, byValue);
}

}  // namespace kmm
