// The temperature-matrix mapping entry: the registry picks the family; the offset-code family
// turns temperatures into 16-bit codes here, the pipeline family (beside the pipeline) and the
// Kelvin family do all their own work.
#include "imagemap/image_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "common/blocks.h"
#include "common/work_block.h"
#include "imagemap/kelvin_mapping.h"
#include "imagemap/offset_code_mapping.h"
#include "imagemap/pipeline/pipeline_family.h"
#include "kernels/conversions.h"
#include "kernels/float_codes.h"
#include "registry/model_registry.h"

namespace kmm {
namespace {

constexpr float kOffsetCodeZero = 50.0f;  // degC at offset code 0

// The scale of the offset codes: 0.01 degC, or 0.1 degC once the frame or a manual upper
// limit reaches 200 degC.
constexpr float kFineCodes = 100.0f, kCoarseCodes = 10.0f, kCoarseFrom = 200.0f;

// Manual window: the codes are converted and windowed a block at a time, so they never leave
// the first-level cache; a frame found to reach 200 degC is done again at the coarse scale.
// False, at the first block holding a value that is not finite.
bool mapOffsetCodeWindow(FrameView<const float> frame, uint8_t* image, float maxTemp,
                         float minTemp) {
    constexpr int32_t kBlock = 2048;
    int16_t codes[kBlock];
    const int32_t count = frame.count();
    for (const float scale : {kFineCodes, kCoarseCodes}) {
        // A manual upper limit takes part in the scale, so a hot window keeps its codes in range.
        if (scale == kFineCodes && maxTemp >= kCoarseFrom) continue;
        const int16_t highCode = offsetCode(maxTemp, int32_t(scale));
        const int16_t lowCode = offsetCode(minTemp, int32_t(scale));
        bool reaches = false;
        for (const auto [start, end] : blocks(count, kBlock)) {
            const int32_t n = end - start;
            const FloatExtremes ends =
                toWrappedCodes(codes, frame.pixels + start, n, -kOffsetCodeZero, scale);
            if (!ends.finite()) return false;
            reaches |= ends.largest >= kCoarseFrom;
            mapOffsetCodesWindow(image + start, {codes, n, 1}, highCode, lowCode);
        }
        if (!reaches) break;
    }
    return true;
}

// False, before anything is written, when a value is not finite.
bool mapByOffsetCodes(FrameView<const float> frame, uint8_t* image, float& maxTemp,
                      float& minTemp, bool autoRange) {
    if (!autoRange) return mapOffsetCodeWindow(frame, image, maxTemp, minTemp);
    const float* temperatures = frame.pixels;
    const int32_t count = frame.count();
    // The codes and the automatic mapping's work memory: one block.
    WorkBlock work(WorkBlock::bytesFor<int16_t>(size_t(count)) +
                   offsetCodeWorkBytes(frame.width, frame.height));
    int16_t* codes = work.take<int16_t>(size_t(count));
    // Converted at the fine scale while the maximum is found, and again at the coarse one in
    // the rare frame that needs it.
    const FloatExtremes ends =
        toWrappedCodes(codes, temperatures, count, -kOffsetCodeZero, kFineCodes);
    if (!ends.finite()) return false;
    const bool coarse = ends.largest >= kCoarseFrom;
    const int32_t scale = int32_t(coarse ? kCoarseCodes : kFineCodes);
    if (coarse) toWrappedCodes(codes, temperatures, count, -kOffsetCodeZero, kCoarseCodes);
    int16_t highCode = offsetCode(maxTemp, scale);
    int16_t lowCode = offsetCode(minTemp, scale);
    mapOffsetCodesAuto(image, {codes, frame.width, frame.height}, highCode, lowCode,
                       kOffsetCodeEntryTuning, work);
    const float k = static_cast<float>(scale);
    maxTemp = static_cast<float>(highCode) / k + kOffsetCodeZero;
    minTemp = static_cast<float>(lowCode) / k + kOffsetCodeZero;
    return true;
}

// The frame mapped by the model's family; false when a value is not finite, with the image
// perhaps partly written and the range untouched.
bool mapByFamily(ImageFamily family, float tuning, FrameView<const float> temperatures,
                 uint8_t* image, float& maxTemp, float& minTemp, bool autoRange) {
    switch (family) {
        case ImageFamily::OffsetCode:
            return mapByOffsetCodes(temperatures, image, maxTemp, minTemp, autoRange);
        case ImageFamily::Pipeline:
            return mapByPipeline(tuning, temperatures, image, maxTemp, minTemp, autoRange);
        case ImageFamily::KelvinCode:
            return mapKelvinFrame(tuning, temperatures, image, 255, 80, maxTemp, minTemp,
                                  autoRange);
    }
    return true;
}

// Non-finite temperatures take the nearest finite end of their frame: +inf the largest finite
// value, -inf and NaN the smallest. So they neither move an automatic range nor change the
// picture of the finite pixels. A frame with no finite value maps as 0 degC.
FrameView<const float> withFiniteValues(FrameView<const float> frame, WorkBlock& work) {
    const int32_t count = frame.count();
    float smallest = std::numeric_limits<float>::infinity();
    float largest = -smallest;
    for (int32_t i = 0; i < count; ++i) {
        const float t = frame.pixels[i];
        if (!std::isfinite(t)) continue;
        smallest = std::min(smallest, t);
        largest = std::max(largest, t);
    }
    if (smallest > largest) smallest = largest = 0.0f;
    float* finite = work.take<float>(size_t(count));
    for (int32_t i = 0; i < count; ++i) {
        const float t = frame.pixels[i];
        finite[i] = std::isfinite(t) ? t : (t > 0.0f ? largest : smallest);
    }
    return {finite, frame.width, frame.height};
}

}  // namespace

int16_t temperatureCode(float celsius) {
    return wrappedCode(celsius, 0.0f, 20.0f);  // without the offset: -0 and +0 give one code
}

int16_t offsetCode(float celsius, int32_t scale) {
    return wrappedCode(celsius, -kOffsetCodeZero, static_cast<float>(scale));
}

void mapTemperatureMatrix(const char* model, float tuning, FrameView<const float> temperatures,
                          uint8_t* image, float& maxTemp, float& minTemp, bool autoRange) {
    const ImageFamily family = lookupModel(model).imageFamily;
    // Each family meets any value that is not finite as it converts, and only then needs the
    // frame of finite values: a frame of finite values is read once and never copied.
    if (mapByFamily(family, tuning, temperatures, image, maxTemp, minTemp, autoRange)) return;
    WorkBlock work(WorkBlock::bytesFor<float>(size_t(temperatures.count())));
    mapByFamily(family, tuning, withFiniteValues(temperatures, work), image, maxTemp, minTemp,
                autoRange);
}

}  // namespace kmm
