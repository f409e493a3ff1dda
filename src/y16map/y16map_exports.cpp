// Exported entry points of the Y16 grey mapping: the arguments checked once, the registry's
// AGC variant, then the window, the AGC chain (detail layer, equalisation, sharpening) or the
// percentile stretch. Work memory is taken before dst is touched, so a failed allocation
// leaves the caller's image as it was.
#include <cstdint>

#include "KModuleMeasure.h"
#include "common/blocks.h"
#include "common/export_guard.h"
#include "common/frame_view.h"
#include "common/work_block.h"
#include "kernels/grey_map.h"
#include "registry/model_registry.h"
#include "y16map/detail_layer.h"
#include "y16map/linear_window.h"
#include "y16map/percentile_mapping.h"
#include "y16map/plateau_agc.h"
#include "y16map/sharpen_grey.h"

namespace kmm {
namespace {

// The call's Y16 mapping state as one work block: the AGC tables, a band of the detail layer
// and, when the result is sharpened, the grey image before sharpening. The detail layer is
// made and added a band of rows at a time, so it never leaves the first-level cache.
void mapAutomatic(const AgcParams& params, uint8_t* dst, FrameView<const int16_t> src) {
    constexpr int32_t kBandRows = 8;
    const auto pixels = size_t(src.count());
    const auto bandPixels = size_t(kBandRows) * size_t(src.width);
    const bool sharpen = params.sharpenStrength.has_value();
    WorkBlock work(WorkBlock::bytesFor<AgcTables>(1) + WorkBlock::bytesFor<int16_t>(bandPixels) +
                   (sharpen ? WorkBlock::bytesFor<uint8_t>(pixels) : 0));
    AgcTables& tables = *work.take<AgcTables>(1);
    int16_t* detail = work.take<int16_t>(bandPixels);
    uint8_t* grey = sharpen ? work.take<uint8_t>(pixels) : dst;
    const uint8_t* byValue = equalisedTable(params, src.pixels, src.count(), tables);
    for (const auto [y0, y1] : blocks(src.height, kBandRows)) {
        const int64_t first = int64_t(y0) * src.width, count = int64_t(y1 - y0) * src.width;
        computeDetailRows(detail, src.pixels, src.width, src.height, y0, y1);
        applyMapWithDetail(grey + first, src.pixels + first, detail, count, byValue,
                           params.detailWeight, params.detailSumIn16Bits);
    }
    if (sharpen) sharpenGrey(dst, grey, src.width, src.height, *params.sharpenStrength);
}

}  // namespace
}  // namespace kmm

using namespace kmm;

extern "C" KMM_API void Y16Mapping_dll(const char* modelName, const int16_t* src, uint8_t* dst,
                                       int32_t width, int32_t height, const int16_t* maxY16,
                                       const int16_t* minY16, bool autoRange) {
    guardExport([&] {
        const auto frame = checkedFrame(src, width, height);
        if (!frame || dst == nullptr) return;
        if (!autoRange) {
            if (maxY16 == nullptr || minY16 == nullptr) return;
            mapLinearWindow(dst, src, frame->count(), *maxY16, *minY16);
            return;
        }
        if (const AgcParams* params = agcParams(lookupModel(modelName).agc)) {
            mapAutomatic(*params, dst, *frame);
        }
    });
}

extern "C" KMM_API void Y16MappingAD_dll(const int16_t* src, uint8_t* dst, int32_t contrast,
                                         int32_t brightness, int32_t width, int32_t height,
                                         int16_t* maxY16, int16_t* minY16, int32_t autoRange) {
    guardExport([&] {
        const auto frame = checkedFrame(src, width, height);
        if (!frame || dst == nullptr || maxY16 == nullptr || minY16 == nullptr) return;
        mapLinearPercentile(dst, src, frame->count(), contrast, brightness, *maxY16, *minY16,
                            autoRange != 0);
    });
}
