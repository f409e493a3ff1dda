// Exported entry point of the temperature-matrix image mapping: argument checks, then the
// family of the model.
#include <new>

#include "KModuleMeasure.h"
#include "imagemap/image_mapping.h"

extern "C" KMM_API void imageMapping_dll(const char* model, float tuning,
                                         const float* temperatures, uint8_t* image,
                                         int32_t width, int32_t height, float* maxTemp,
                                         float* minTemp, bool autoRange) {
    if (model == nullptr || temperatures == nullptr || image == nullptr || maxTemp == nullptr ||
        minTemp == nullptr || width <= 0 || height <= 0 || int64_t(width) * height > INT32_MAX) {
        return;
    }
    try {
        kmm::mapTemperatureMatrix(model, tuning, temperatures, image, width, height, maxTemp,
                                  minTemp, autoRange);
    } catch (const std::bad_alloc&) {
        // Out of memory: the call ends quietly; a C host cannot take an exception.
    }
}
