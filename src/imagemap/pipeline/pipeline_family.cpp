// The pipeline family of the temperature-matrix mapping: codes from the matrix, the pipeline's
// fixed configuration, the range handed back.
#include "imagemap/pipeline/pipeline_family.h"

#include "common/work_block.h"
#include "imagemap/image_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {
namespace {

// The tuning value that selects the standard (not the fine) pipeline tuning.
constexpr float kStandardTuning = 150.0f;

}  // namespace

void mapByPipeline(float tuning, FrameView<const float> frame, uint8_t* image, float& maxTemp,
                   float& minTemp, bool autoRange) {
    const float* temperatures = frame.pixels;
    const int32_t count = frame.count();
    float largest = temperatures[0];
    float smallest = temperatures[0];
    for (int32_t i = 1; i < count; ++i) {
        if (temperatures[i] > largest) largest = temperatures[i];
        if (temperatures[i] < smallest) smallest = temperatures[i];
    }
    const int16_t highCode = temperatureCode(autoRange ? largest : maxTemp);
    const int16_t lowCode = temperatureCode(autoRange ? smallest : minTemp);
    const bool fine = tuning != kStandardTuning;  // NaN included

    ImagePipeline pipeline(frame.width, frame.height, 1.0f);
    pipeline.setFlatFieldCorrection(false);
    pipeline.setTemporalFilter(false);
    pipeline.setSmoothing(false);
    pipeline.setColumnStripeFilter(false);
    pipeline.setRowStripeFilter(false);
    pipeline.setBadPixelRepair(false);
    // The frame and image copies are left off: the object goes before anyone could read them.
    pipeline.setPseudoColour(true);
    pipeline.setColourFormat(2);
    pipeline.setRotation(false);
    pipeline.setPseudoColour(false);  // the image stays grey
    if (autoRange) {
        pipeline.setMappingMode(2);
    } else {
        pipeline.setMappingMode(3);
        pipeline.setRangeHigh(highCode);
        pipeline.setRangeLow(lowCode);
        if (fine) {
            pipeline.setSmoothing(true);
            pipeline.setSmoothingSigma(5);
        }
    }
    pipeline.setLinearBrightness(60);
    pipeline.setCustomTuning(fine);
    pipeline.setPresetTuning(true);

    // The codes are the call's only frame; the pipeline maps them straight into the image.
    WorkBlock work(WorkBlock::bytesFor<int16_t>(size_t(count)));
    int16_t* codes = work.take<int16_t>(size_t(count));
    for (int32_t i = 0; i < count; ++i) codes[i] = temperatureCode(temperatures[i]);
    pipeline.run(codes, image, size_t(count));

    // Whatever range was used comes back quantised to the 0.05 degC codes, toward zero.
    maxTemp = static_cast<float>(highCode) / 20.0f;
    minTemp = static_cast<float>(lowCode) / 20.0f;
}

}  // namespace kmm
