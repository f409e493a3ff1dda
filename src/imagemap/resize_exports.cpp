// Exported entry point of the frame enlargement: the size checks, then the resize.
#include <limits>

#include "KModuleMeasure.h"
#include "common/export_guard.h"
#include "common/frame_view.h"
#include "imagemap/image_resize.h"

extern "C" KMM_API void image_resize_dll(int16_t* dst, const int16_t* src, int32_t srcHeight,
                                         int32_t srcWidth, int32_t factor) {
    kmm::guardExport([&] {
        const auto frame = kmm::checkedFrame(src, srcWidth, srcHeight);
        if (!frame || dst == nullptr) return;
        // Sources under 2 x 2 have nothing to interpolate between.
        if (srcWidth < 2 || srcHeight < 2 || factor < 1) return;
        const int64_t dstWidth = int64_t(srcWidth) * factor;
        const int64_t dstHeight = int64_t(srcHeight) * factor;
        constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();
        if (dstWidth > kMaxSide || dstHeight > kMaxSide) return;
        kmm::resizeFrame(dst, *frame, factor);
    });
}
