// Exported entry points of the Y16 grey mapping: argument checks, the registry's AGC
// variant, then the window, the AGC chain (detail layer, equalisation, sharpening) or the
// percentile stretch. Work memory is taken before dst is touched, so a failed allocation
// leaves the caller's image as it was.
#include <memory>
#include <new>

#include "KModuleMeasure.h"
#include "registry/model_registry.h"
#include "y16map/detail_layer.h"
#include "y16map/linear_window.h"
#include "y16map/percentile_mapping.h"
#include "y16map/plateau_agc.h"
#include "y16map/sharpen_grey.h"

namespace kmm {
namespace {

// One automatic-range call's state: the frame size, the tuning and its buffers.
struct Y16MappingState {
    int32_t width, height;
    const AgcParams& params;
    std::unique_ptr<int16_t[]> detail;
    std::unique_ptr<uint8_t[]> grey;  // only when the result is sharpened afterwards

    Y16MappingState(int32_t w, int32_t h, const AgcParams& p)
        : width(w), height(h), params(p),
          // Both buffers are written in full before they are read: no zero fill needed.
          detail(std::make_unique_for_overwrite<int16_t[]>(size_t(int64_t(w) * h))),
          grey(p.sharpenStrength ? std::make_unique_for_overwrite<uint8_t[]>(size_t(int64_t(w) * h))
                                 : nullptr) {}
};

void mapAutomatic(const AgcParams& params, uint8_t* dst, const int16_t* src, int32_t width,
                  int32_t height) {
    Y16MappingState state(width, height, params);
    computeDetailLayer(state.detail.get(), src, width, height);
    if (!params.sharpenStrength) {
        mapPlateauAgc(params, dst, src, width, height, state.detail.get());
        return;
    }
    mapPlateauAgc(params, state.grey.get(), src, width, height, state.detail.get());
    sharpenGrey(dst, state.grey.get(), width, height, *params.sharpenStrength);
}

}  // namespace
}  // namespace kmm

using namespace kmm;

extern "C" KMM_API void Y16Mapping_dll(const char* modelName, const int16_t* src, uint8_t* dst,
                                       int32_t width, int32_t height, const int16_t* maxY16,
                                       const int16_t* minY16, bool autoRange) {
    if (src == nullptr || dst == nullptr || width <= 0 || height <= 0) return;
    if (!autoRange) {
        if (maxY16 == nullptr || minY16 == nullptr) return;
        mapLinearWindow(dst, src, int64_t(width) * height, *maxY16, *minY16);
        return;
    }
    const AgcParams* params = agcParams(lookupModel(modelName).agc);
    if (params == nullptr) return;
    try {
        mapAutomatic(*params, dst, src, width, height);
    } catch (const std::bad_alloc&) {
    }
}

extern "C" KMM_API void Y16MappingAD_dll(const int16_t* src, uint8_t* dst, int32_t contrast,
                                         int32_t brightness, int32_t width, int32_t height,
                                         int16_t* maxY16, int16_t* minY16, int32_t autoRange) {
    if (src == nullptr || dst == nullptr || maxY16 == nullptr || minY16 == nullptr) return;
    if (width <= 0 || height <= 0) return;
    try {
        mapLinearPercentile(dst, src, int64_t(width) * height, contrast, brightness, maxY16,
                            minY16, autoRange != 0);
    } catch (const std::bad_alloc&) {
    }
}
