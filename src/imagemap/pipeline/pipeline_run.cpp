// One run of the ImagePipeline: the stages in their fixed order, the copy-backs between
// them, the mapping stage's mode dispatch and the statistics of the 8-bit image.
#include <algorithm>

#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {

void ImagePipeline::mapByMode(uint8_t* out, const int16_t* in, int32_t w, int32_t h) {
    switch (mappingMode) {
        case 0: mapLinear(out, in, w, h, percentile, linearBrightness, linearContrast, minimumSpan); break;
        case 1: mapEqualised(out, in, w, h, plateau, percentile, equaliseMaxRange, equaliseBrightness); break;
        case 2: mapMixed(out, in, w, h); break;
        case 3: mapFixedWindow(out, in, w, h, rangeHigh, rangeLow, customTuning != 0); break;
        default: break;
    }
}

void ImagePipeline::takeImageStatistics() {
    const uint8_t* image = buffers_.image8.get();
    uint8_t maximum = 0, minimum = 255;
    uint64_t sum = 0;
    for (int32_t i = 0; i < outCount; ++i) {
        maximum = std::max(maximum, image[i]);
        minimum = std::min(minimum, image[i]);
        sum += image[i];
    }
    const uint64_t mean = outCount > 0 ? sum / static_cast<uint64_t>(outCount) : 0;
    imageStats = {maximum, minimum, static_cast<uint8_t>(std::min<uint64_t>(mean, 255)),
                  static_cast<uint8_t>(maximum > minimum ? maximum - minimum : 0)};
}

void ImagePipeline::run() {
    if (!buffers_.input) return;  // empty or released object
    int16_t* input = buffers_.input.get();
    const int16_t* work16 = buffers_.work16.get();
    uint8_t* image8 = buffers_.image8.get();
    uint8_t* output = buffers_.output.get();
    workWidth = outWidth = width;
    workHeight = outHeight = height;
    workCount = width * height;
    outCount = static_cast<int32_t>(workCount);
    const auto copyBack = [&] { std::copy_n(work16, workCount, input); };
    const auto keepOutput = [&] { std::copy_n(output, outCount, image8); };

    // 16-bit stages: each writes work16, which becomes the next stage's input.
    if (flatFieldOn && correctFlatField()) copyBack();
    if (badPixelOn && buffers_.flatFieldGain && buffers_.flatFieldGain[0] != 0) repairBadPixels();
    if (temporalOn && filterTemporal()) copyBack();
    if (columnStripeOn && removeColumnStripes()) copyBack();
    if (rowStripeOn && removeRowStripes()) copyBack();
    if (smoothingOn && smooth()) copyBack();
    if (flipOn && mirror()) copyBack();
    if (rotateOn && rotate()) copyBack();
    // After any stage work16 and input agree; input is also right when no stage ran.
    if (keepFrameCopy && buffers_.frameCopy) {
        std::copy_n(input, outCount, buffers_.frameCopy.get());
        frameCopyWidth = outWidth;
        frameCopyHeight = outHeight;
    }

    // 16 to 8 bits, then the 8-bit stages: each writes output, which becomes image8.
    if (mappingOn) {
        if (!(detailOn && mapWithDetail())) {
            // A mode above 3 maps nothing: the image is black rather than stale memory.
            if (mappingMode > 3) std::fill_n(output, outCount, uint8_t{0});
            mapByMode(output, input, static_cast<int32_t>(workWidth),
                      static_cast<int32_t>(workHeight));
        }
    } else {
        std::fill_n(output, outCount, uint8_t{0});  // no mapping: black, as above
    }
    keepOutput();
    if (lutOn && applyLut()) keepOutput();
    if (sharpenOn && sharpen()) keepOutput();
    if (contrastOn && adjustContrast()) keepOutput();
    takeImageStatistics();
    if (keepImageCopy && buffers_.imageCopy) {
        std::copy_n(output, outCount, buffers_.imageCopy.get());
        imageCopyWidth = outWidth;
        imageCopyHeight = outHeight;
    }
    if (zoom != 1.0f && zoomImage()) keepOutput();
    if (pseudoColourOn) colourise();
}

}  // namespace kmm
