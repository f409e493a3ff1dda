// Exported entry point of the temperature-matrix image mapping: the arguments checked once,
// then the family of the model.
#include "KModuleMeasure.h"
#include "common/export_guard.h"
#include "common/frame_view.h"
#include "imagemap/image_mapping.h"

extern "C" KMM_API void imageMapping_dll(const char* model, float tuning,
                                         const float* temperatures, uint8_t* image,
                                         int32_t width, int32_t height, float* maxTemp,
                                         float* minTemp, bool autoRange) {
    kmm::guardExport([&] {
        const auto frame = kmm::checkedFrame(temperatures, width, height);
        if (!frame || model == nullptr || image == nullptr || maxTemp == nullptr ||
            minTemp == nullptr) {
            return;
        }
        kmm::mapTemperatureMatrix(model, tuning, *frame, image, *maxTemp, *minTemp, autoRange);
    });
}
