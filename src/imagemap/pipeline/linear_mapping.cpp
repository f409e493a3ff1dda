// Mode 0, the linear percentile mapping: the frame mean lands on the brightness and the
// percentile range spans the contrast, with less gain for ranges narrower than minimumSpan.
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/linear.h"

namespace kmm {

void ImagePipeline::mapLinear(uint8_t* out, const int16_t* in, int32_t width, int32_t height,
                              uint32_t percentile, uint32_t brightness, uint32_t contrast,
                              uint32_t minimumSpan, MappingTables& tables) {
    const int32_t count = width * height;
    const PercentileScan scan = scanHistogram(in, count, percentile, tables.histogram);
    const LinearMap map = prepareLinear(scan, brightness, contrast, minimumSpan);
    stretchLinear(out, in, count, map.gain, map.offset);
}

LinearMap ImagePipeline::prepareLinear(const PercentileScan& scan, uint32_t brightness,
                                       uint32_t contrast, uint32_t minimumSpan) {
    const int32_t span = scan.high - scan.low + 1;
    linearStats = {static_cast<uint16_t>(scan.extremeHigh), static_cast<uint16_t>(scan.extremeLow),
                   static_cast<uint16_t>(scan.high),        static_cast<uint16_t>(scan.low),
                   static_cast<uint16_t>(scan.mean),        static_cast<uint16_t>(span)};
    // Below minimumSpan the divisor grows four times as fast as the span shrinks, so a
    // nearly flat scene is not stretched into noise.
    const int64_t gain = gainWithKnee(int64_t(contrast) * 1024, span, {minimumSpan, 4},
                                      int64_t(maximumGain) * 1024);
    const int64_t offset = int64_t(brightness) - int64_t(scan.mean) * gain / 1024;
    linearGain = static_cast<int32_t>(gain);
    linearOffset = static_cast<int32_t>(offset);

    lastSpan = span;
    return {gain, offset};
}

}  // namespace kmm
