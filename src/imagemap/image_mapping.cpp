// The temperature-matrix mapping entry: the registry picks the family; the offset-code family
// turns temperatures into 16-bit codes here, the pipeline family (beside the pipeline) and the
// Kelvin family do all their own work.
#include "imagemap/image_mapping.h"

#include <algorithm>

#include "common/work_block.h"
#include "imagemap/kelvin_mapping.h"
#include "imagemap/offset_code_mapping.h"
#include "imagemap/pipeline/pipeline_family.h"
#include "kernels/conversions.h"
#include "registry/model_registry.h"

namespace kmm {
namespace {

void mapByOffsetCodes(FrameView<const float> frame, uint8_t* image, float& maxTemp,
                      float& minTemp, bool autoRange) {
    const float* temperatures = frame.pixels;
    const int32_t count = frame.count();
    float largest = temperatures[0];
    for (int32_t i = 1; i < count; ++i) {
        if (temperatures[i] > largest) largest = temperatures[i];
    }
    // A manual upper limit takes part in the scale, so a hot window keeps its codes in range.
    if (!autoRange && maxTemp > largest) largest = maxTemp;
    const int32_t scale = largest >= 200.0f ? 10 : 100;  // NaN: 100

    // The codes and the automatic mapping's work memory: one block.
    WorkBlock work(WorkBlock::bytesFor<int16_t>(size_t(count)) +
                   (autoRange ? offsetCodeWorkBytes(frame.width, frame.height) : 0));
    int16_t* codes = work.take<int16_t>(size_t(count));
    for (int32_t i = 0; i < count; ++i) codes[i] = offsetCode(temperatures[i], scale);
    const FrameView<const int16_t> codeFrame{codes, frame.width, frame.height};
    int16_t highCode = offsetCode(maxTemp, scale);
    int16_t lowCode = offsetCode(minTemp, scale);
    if (autoRange) {
        mapOffsetCodesAuto(image, codeFrame, highCode, lowCode, kOffsetCodeEntryTuning, work);
        const float k = static_cast<float>(scale);
        maxTemp = static_cast<float>(highCode) / k + 50.0f;
        minTemp = static_cast<float>(lowCode) / k + 50.0f;
    } else {
        mapOffsetCodesWindow(image, codeFrame, highCode, lowCode);
    }
}

}  // namespace

int16_t temperatureCode(float celsius) {
    return wrapToInt16(saturatingTrunc<int32_t>(celsius * 20.0f));
}

int16_t offsetCode(float celsius, int32_t scale) {
    return wrapToInt16(saturatingTrunc<int32_t>((celsius - 50.0f) * static_cast<float>(scale)));
}

void mapTemperatureMatrix(const char* model, float tuning, FrameView<const float> temperatures,
                          uint8_t* image, float& maxTemp, float& minTemp, bool autoRange) {
    switch (lookupModel(model).imageFamily) {
        case ImageFamily::OffsetCode:
            mapByOffsetCodes(temperatures, image, maxTemp, minTemp, autoRange);
            break;
        case ImageFamily::Pipeline:
            mapByPipeline(tuning, temperatures, image, maxTemp, minTemp, autoRange);
            break;
        case ImageFamily::KelvinCode:
            mapKelvinFrame(tuning, temperatures, image, 255, 80, maxTemp, minTemp, autoRange);
            break;
    }
}

}  // namespace kmm
