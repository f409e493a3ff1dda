// One run of the ImagePipeline: the work memory of the switched-on stages as one block, the
// stages in their fixed order, the mapping stage's mode dispatch and the statistics of the
// 8-bit image.
//
// No stage copies its result back: each 16-bit stage writes the one of two work frames that
// its input is not in (the caller's frame is never written), and the 8-bit stages that cannot
// work in place alternate between one work image and the caller's image, so that the last one
// writes the caller's image. With the configuration of imageMapping_dll the mapping writes the
// caller's image directly.
#include <algorithm>
#include <numeric>
#include <optional>

#include "common/blocks.h"
#include "common/work_block.h"
#include "imagemap/pipeline/grey_mapping.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/avx2_lanes.h"
#include "kernels/simd_dispatch.h"

namespace kmm {

void ImagePipeline::mapByMode(uint8_t* out, const int16_t* in, int32_t w, int32_t h,
                              MappingTables* tables) {
    switch (mappingMode) {
        case 0: mapLinear(out, in, w, h, percentile, linearBrightness, linearContrast, minimumSpan, *tables); break;
        case 1: mapEqualised(out, in, w, h, plateau, percentile, equaliseMaxRange, equaliseBrightness, *tables); break;
        case 2: mapMixed(out, in, w, h, *tables); break;
        default: mapFixedWindow(out, in, w, h, rangeHigh, rangeLow, customTuning != 0);  // 3: the setter keeps modes <= 3
    }
}

namespace {

struct ImageSums {
    uint8_t maximum, minimum;
    uint64_t sum;
};

// Byte sums in 32-bit lanes over blocks short enough not to overflow them, so the loop
// vectorises.
KMM_SIMD_BODY ImageSums imageSums(const uint8_t* image, size_t count) {
    constexpr size_t kBlock = size_t(1) << 23;  // 2^23 x 255 < 2^32
    ImageSums r{0, 255, 0};
    for (const auto b : blocks(count, kBlock)) {
        uint32_t blockSum = 0;
        for (size_t i = b.start; i < b.end; ++i) {
            r.maximum = std::max(r.maximum, image[i]);
            r.minimum = std::min(r.minimum, image[i]);
            blockSum += image[i];
        }
        r.sum += blockSum;
    }
    return r;
}

#if KMM_SIMD_X86
// The same with AVX2: byte maxima and minima, and sums of absolute differences from 0, which
// add eight bytes into each 64-bit lane. The rest go through the plain loop.
[[gnu::target("avx2")]] size_t imageSumsAvx2(ImageSums& r, const uint8_t* image, size_t count) {
    __m256i high = _mm256_setzero_si256(), low = _mm256_set1_epi8(char(255));
    __m256i sums = _mm256_setzero_si256();
    size_t i = 0;
    for (const auto vectorEnd = count - count % 32; i < vectorEnd; i += 32) {
        const __m256i v = loadLanes(image + i);
        high = _mm256_max_epu8(high, v);
        low = _mm256_min_epu8(low, v);
        sums = _mm256_add_epi64(sums, _mm256_sad_epu8(v, _mm256_setzero_si256()));
    }
    uint8_t highs[32], lows[32];
    uint64_t parts[4];
    storeLanes(highs, high);
    storeLanes(lows, low);
    storeLanes(parts, sums);
    // 0 and 255 when nothing was read, as the plain loop starts them
    r.maximum = *std::max_element(std::begin(highs), std::end(highs));
    r.minimum = *std::min_element(std::begin(lows), std::end(lows));
    r.sum = std::accumulate(std::begin(parts), std::end(parts), uint64_t(0));
    return i;
}
#endif

}  // namespace

void ImagePipeline::takeImageStatistics(const uint8_t* image, size_t count) {
    ImageSums s{0, 255, 0};
    size_t done = 0;
#if KMM_SIMD_X86
    if (runsAvx2()) done = imageSumsAvx2(s, image, count);
#endif
    // An empty rest gives 0 and 255, which leave the vector part's extremes as they are.
    const ImageSums rest = dispatchSimd<imageSums>(image + done, count - done);
    s = {std::max(s.maximum, rest.maximum), std::min(s.minimum, rest.minimum), s.sum + rest.sum};
    imageStats = {s.maximum, s.minimum, static_cast<uint8_t>(s.sum / count),  // count > 0
                  static_cast<uint8_t>(s.maximum - s.minimum)};
}

ImagePipeline::RunPlan ImagePipeline::plan() const {
    RunPlan p{};
    p.pixels = size_t(width_) * size_t(height_);
    p.flatField = flatFieldOn && flatFieldLoaded_;
    p.badPixels = badPixelOn && !flatFieldGain_.empty() && flatFieldGain_[0] != 0;
    p.frameWrites = p.flatField + p.badPixels + temporalOn + columnStripeOn + rowStripeOn +
                    smoothingOn + flipOn + rotateOn;
    p.detail = mappingOn && detailOn;
    p.tables = mappingOn && mappingMode <= 2;
    p.zoom = zoomApplies();
    p.colour = colourApplies();
    p.imageWrites = 1 + sharpenOn + p.zoom + p.colour;
    const ImageShape shape = outputShape();
    p.imageBytes = size_t(shape.width) * size_t(shape.height);
    p.borderedCount = (size_t(width_) + 10) * (size_t(height_) + 10);

    const auto frameBytes = WorkBlock::bytesFor<int16_t>(p.pixels);
    const auto borderedBytes = WorkBlock::bytesFor<int16_t>(p.borderedCount);
    p.workBytes = std::min(p.frameWrites, 2) * frameBytes +
                  (smoothingOn || p.detail ? borderedBytes : 0) +
                  (rowStripeOn ? frameBytes : 0) +
                  (p.detail ? 2 * frameBytes + WorkBlock::bytesFor<uint8_t>(detailPostOn ? p.pixels : 0) : 0) +
                  (p.tables ? WorkBlock::bytesFor<MappingTables>(1) : 0) +
                  (p.imageWrites > 1 ? WorkBlock::bytesFor<uint8_t>(p.imageBytes) : 0);
    return p;
}

size_t ImagePipeline::runWorkBytes() const { return plan().workBytes; }

bool ImagePipeline::run(const int16_t* frame, uint8_t* out, size_t capacity,
                        std::optional<SampleRange> frameRange, WorkBlock* sharedWork) {
    const ImageShape shape = outputShape();
    if (width_ == 0 || frame == nullptr || out == nullptr || capacity < shape.bytes) return false;
    rangedFrame_ = frameRange ? frame : nullptr;
    if (frameRange) frameRange_ = *frameRange;

    // Which stages act, and so which work memory the run takes.
    const RunPlan p = plan();
    const size_t pixels = p.pixels, imageBytes = p.imageBytes, borderedCount = p.borderedCount;
    const bool flatField = p.flatField, badPixels = p.badPixels, detail = p.detail;
    const bool tables = p.tables, zoom = p.zoom, colour = p.colour;
    const int frameWrites = p.frameWrites;
    int imageWrites = p.imageWrites;  // stages that write a new image, counted down
    std::optional<WorkBlock> ownWork;
    WorkBlock& work = sharedWork != nullptr ? *sharedWork : ownWork.emplace(p.workBytes);
    int16_t* frames[2] = {frameWrites > 0 ? work.take<int16_t>(pixels) : nullptr,
                          frameWrites > 1 ? work.take<int16_t>(pixels) : nullptr};
    int16_t* bordered = smoothingOn || detail ? work.take<int16_t>(borderedCount) : nullptr;
    int16_t* transposed = rowStripeOn ? work.take<int16_t>(pixels) : nullptr;
    DetailScratch detailScratch{bordered, nullptr, nullptr, nullptr, nullptr};
    if (detail) {
        detailScratch.base = work.take<int16_t>(pixels);
        detailScratch.smoothedBase = work.take<int16_t>(pixels);
        if (detailPostOn) detailScratch.equalisedBase = work.take<uint8_t>(pixels);
    }
    MappingTables* mappingTables = tables ? work.take<MappingTables>(1) : nullptr;
    detailScratch.tables = mappingTables;
    uint8_t* image = imageWrites > 1 ? work.take<uint8_t>(imageBytes) : nullptr;

    // 16-bit stages. A stage that leaves the frame as it is writes nothing.
    const int16_t* current = frame;
    int32_t w = width_, h = height_;
    const auto step = [&](auto&& stage) {
        int16_t* target = current == frames[0] ? frames[1] : frames[0];
        if (stage(target)) current = target;
    };
    if (flatField) {
        step([&](int16_t* t) {
            correctFlatField(t, flatFieldRaw_.data(), flatFieldDark_.data(), flatFieldGain_.data(), int64_t(pixels));
            return true;
        });
    }
    if (badPixels) {
        step([&](int16_t* t) {  // in place, on a copy when the frame is still the caller's
            if (current != frame) return false;
            std::copy_n(frame, pixels, t);
            return true;
        });
        repairBadPixels(const_cast<int16_t*>(current), flatFieldGain_.data(), w, h);  // a work frame
    }
    if (temporalOn) step([&](int16_t* t) { return filterTemporal(t, current); });
    if (columnStripeOn) step([&](int16_t* t) { return removeStripes(t, current, w, h, false, nullptr); });
    if (rowStripeOn) step([&](int16_t* t) { return removeStripes(t, current, w, h, true, transposed); });
    if (smoothingOn) step([&](int16_t* t) { return smooth(t, current, w, h, bordered); });
    if (flipOn) step([&](int16_t* t) { return mirrorFrame(t, current, w, h, flipMode); });
    if (rotateOn) {
        step([&](int16_t* t) { return rotateFrame(t, current, w, h, rotateMode); });
        if (rotateMode == 0 || rotateMode == 2) std::swap(w, h);
    }
    if (keepFrameCopy) {
        frameCopy_.assign(current, current + pixels);
        frameCopyWidth = w;
        frameCopyHeight = h;
    }

    // 16 to 8 bits, then the 8-bit stages; the last stage that writes an image writes out.
    const auto nextImage = [&] { return --imageWrites % 2 == 0 ? out : image; };
    uint8_t* grey = nextImage();
    if (detail) {
        mapWithDetail(grey, current, w, h, detailScratch);
    } else if (mappingOn) {
        mapByMode(grey, current, w, h, mappingTables);
    } else {
        std::fill_n(grey, pixels, uint8_t{0});  // nothing maps: black rather than stale memory
    }
    if (lutOn) applyLut(grey, int64_t(pixels), lut_.data());
    if (sharpenOn) {
        uint8_t* sharpened = nextImage();
        sharpenImage(sharpened, grey, w, h, sharpenAmount);
        grey = sharpened;
    }
    if (contrastOn) adjustContrast(grey, int64_t(pixels), contrastGain, contrastBrightness);
    takeImageStatistics(grey, pixels);
    if (keepImageCopy) {
        imageCopy_.assign(grey, grey + pixels);
        imageCopyWidth = w;
        imageCopyHeight = h;
    }
    if (zoom) {
        uint8_t* zoomed = nextImage();
        zoomImage(zoomed, grey, w, h, zoom_, zoomMode);
        grey = zoomed;
        w = int32_t(shape.width);
        h = int32_t(shape.height);
    }
    if (colour) colourise(nextImage(), grey, w, h, current, int64_t(pixels));
    return true;
}

}  // namespace kmm
