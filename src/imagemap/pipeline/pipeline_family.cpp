// The pipeline family of the temperature-matrix mapping: codes from the matrix, the pipeline's
// fixed configuration, the range handed back.
#include "imagemap/pipeline/pipeline_family.h"

#include <algorithm>

#include "common/blocks.h"
#include "common/work_block.h"
#include "imagemap/image_mapping.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "kernels/float_codes.h"

namespace kmm {
namespace {

// The tuning value that selects the standard (not the fine) pipeline tuning.
constexpr float kStandardTuning = 150.0f;
constexpr float kCodesPerDegree = 20.0f;  // the factor of temperatureCode

// The standard fixed window, strip by strip through a small buffer of codes that stays in the
// first-level cache: what the pipeline with only its mapping stage on writes, bit for bit.
// False, at the first strip holding a value that is not finite.
bool mapWindowByStrips(const float* temperatures, int32_t count, uint8_t* image,
                       int16_t highCode, int16_t lowCode) {
    constexpr int32_t kStrip = 4096;
    int16_t codes[kStrip];
    for (const auto [start, end] : blocks(count, kStrip)) {
        const int32_t n = end - start;
        if (!toWrappedCodes(codes, temperatures + start, n, 0.0f, kCodesPerDegree).finite()) {
            return false;
        }
        mapFixedWindow(image + start, codes, n, 1, highCode, lowCode, false);
    }
    return true;
}

// The pipeline configured as the family runs it, over codes converted in one pass that also
// finds the automatic range. False, before anything is written, when a value is not finite.
bool mapThroughPipeline(FrameView<const float> frame, uint8_t* image, bool autoRange, bool fine,
                        int16_t& highCode, int16_t& lowCode) {
    ImagePipeline pipeline(frame.width, frame.height, 1.0f);
    pipeline.setFlatFieldCorrection(false);
    pipeline.setTemporalFilter(false);
    pipeline.setSmoothing(false);
    pipeline.setColumnStripeFilter(false);
    pipeline.setRowStripeFilter(false);
    pipeline.setBadPixelRepair(false);
    // The frame and image copies are left off: the object goes before anyone could read them.
    pipeline.setRotation(false);
    pipeline.setPseudoColour(false);  // the image stays grey
    if (autoRange) {
        pipeline.setMappingMode(2);
    } else {
        pipeline.setMappingMode(3);
        if (fine) {
            pipeline.setSmoothing(true);
            pipeline.setSmoothingSigma(5);
        }
    }
    pipeline.setLinearBrightness(60);
    pipeline.setCustomTuning(fine);
    pipeline.setPresetTuning(true);

    // The codes and the pipeline's work memory are one block: see WorkBlock.
    const int32_t count = frame.count();
    WorkBlock work(WorkBlock::bytesFor<int16_t>(size_t(count)) + pipeline.runWorkBytes());
    int16_t* codes = work.take<int16_t>(size_t(count));
    const FloatExtremes ends = toWrappedCodes(codes, frame.pixels, count, 0.0f, kCodesPerDegree);
    if (!ends.finite()) return false;
    if (autoRange) {
        highCode = temperatureCode(ends.largest);
        lowCode = temperatureCode(ends.smallest);
    } else {
        pipeline.setRangeHigh(highCode);
        pipeline.setRangeLow(lowCode);
    }
    // Codes follow the values in order unless the 16-bit wrap acts, which only a value
    // beyond the code range makes happen: then the converted ends are the codes' extremes.
    const int32_t lowest = saturatingTrunc<int32_t>(ends.smallest * kCodesPerDegree);
    const int32_t highest = saturatingTrunc<int32_t>(ends.largest * kCodesPerDegree);
    const bool unwrapped = lowest >= -32768 && highest <= 32767;
    pipeline.run(codes, image, size_t(count),
                 unwrapped ? std::optional(SampleRange{lowest, highest}) : std::nullopt, &work);
    return true;
}

}  // namespace

bool mapByPipeline(float tuning, FrameView<const float> frame, uint8_t* image, float& maxTemp,
                   float& minTemp, bool autoRange) {
    const bool fine = tuning != kStandardTuning;  // NaN included
    int16_t highCode = temperatureCode(maxTemp), lowCode = temperatureCode(minTemp);
    // The fixed window alone maps each code by itself: no frame of codes, no object.
    const bool mapped = !autoRange && !fine
        ? mapWindowByStrips(frame.pixels, frame.count(), image, highCode, lowCode)
        : mapThroughPipeline(frame, image, autoRange, fine, highCode, lowCode);
    if (!mapped) return false;
    // Whatever range was used comes back quantised to the 0.05 degC codes, toward zero.
    maxTemp = static_cast<float>(highCode) / 20.0f;
    minTemp = static_cast<float>(lowCode) / 20.0f;
    return true;
}

}  // namespace kmm
