// Exported entry points of the Y16 grey mapping: argument checks, the registry's AGC
// variant, then the window, the AGC chain (detail layer, equalisation, sharpening) or the
// percentile stretch. Work memory is taken before dst is touched, so a failed allocation
// leaves the caller's image as it was.
#include <cstddef>
#include <cstdint>
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

// One automatic-range call's memory, taken as a single block: the AGC tables, the detail
// layer and, when the result is sharpened, the grey image before sharpening. One block, not
// several, lets the heap keep it from one frame to the next instead of handing the pages
// back and faulting them in again. Every part is written before it is read: no zero fill.
class Y16MappingState {
public:
    Y16MappingState(int32_t width, int32_t height, const AgcParams& params)
        : pixels_(size_t(int64_t(width) * height)),
          block_(std::make_unique_for_overwrite<std::byte[]>(blockSize(pixels_, params))),
          tables_(new (block_.get()) AgcTables) {}

    AgcTables& tables() { return *tables_; }
    int16_t* detail() { return reinterpret_cast<int16_t*>(block_.get() + kDetailAt); }
    uint8_t* grey() { return reinterpret_cast<uint8_t*>(block_.get() + kDetailAt) + pixels_ * 2; }

private:
    static constexpr size_t kDetailAt = (sizeof(AgcTables) + 63) / 64 * 64;

    // A frame too large to address is refused as an allocation that cannot be had.
    static size_t blockSize(size_t pixels, const AgcParams& params) {
        if (pixels > (size_t(PTRDIFF_MAX) - kDetailAt) / 3) throw std::bad_alloc();
        return kDetailAt + pixels * sizeof(int16_t) + (params.sharpenStrength ? pixels : 0);
    }

    size_t pixels_;
    std::unique_ptr<std::byte[]> block_;
    AgcTables* tables_;
};

void mapAutomatic(const AgcParams& params, uint8_t* dst, const int16_t* src, int32_t width,
                  int32_t height) {
    Y16MappingState state(width, height, params);
    computeDetailLayer(state.detail(), src, width, height);
    if (!params.sharpenStrength) {
        mapPlateauAgc(params, dst, src, width, height, state.detail(), state.tables());
        return;
    }
    mapPlateauAgc(params, state.grey(), src, width, height, state.detail(), state.tables());
    sharpenGrey(dst, state.grey(), width, height, *params.sharpenStrength);
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
