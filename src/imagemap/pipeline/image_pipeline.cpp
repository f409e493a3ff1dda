// ImagePipeline construction, setters and loads: which of the object's own buffers exist when,
// and the size of the image a run writes.
#include "imagemap/pipeline/image_pipeline.h"

#include <algorithm>

#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/pipeline_stages.h"
#include "kernels/weight_tables.h"

namespace kmm {
namespace {

// Room for four bytes a pixel of the zoomed image within 2^31 bytes.
constexpr int64_t kMaxZoomedPixels = int64_t(1) << 29;

// A frame-sized buffer while on, none (memory handed back) while off; kept as it is when it
// already exists.
template <class T>
void keepWhile(bool on, std::vector<T>& buffer, size_t size) {
    if (!on) {
        buffer = {};
    } else if (buffer.empty()) {
        buffer.assign(size, T{});
    }
}

}  // namespace

ImagePipeline::ImagePipeline(int32_t w, int32_t h, float requested) {
    const float z = std::max(1.0f, requested);  // NaN compares false: 1.0
    // A zoomed side is at least its side less a float's rounding, and the limit is a quarter
    // of 2^31: frames of INT32_MAX pixels or more are refused here too.
    if (w <= 0 || h <= 0 || int64_t(zoomedSide(w, z)) * zoomedSide(h, z) > kMaxZoomedPixels) return;
    width_ = w;
    height_ = h;
    zoom_ = z;
}

int32_t ImagePipeline::setFlatFieldCorrection(bool on) {
    if (flatFieldOn == on) return 0;
    flatFieldOn = on;
    const size_t pixels = size_t(width_) * size_t(height_);
    keepWhile(on, flatFieldDark_, pixels);
    keepWhile(on, flatFieldRaw_, pixels);
    // The gain frame doubles as the bad-pixel mask, so it stays while that stage needs it.
    keepWhile(on || badPixelOn, flatFieldGain_, pixels);
    if (!on) flatFieldLoaded_ = false;
    return 0;
}

int32_t ImagePipeline::setBadPixelRepair(bool on) {
    if (badPixelOn == on) return 0;
    badPixelOn = on;
    keepWhile(on || flatFieldOn, flatFieldGain_, size_t(width_) * size_t(height_));
    return 0;
}

int32_t ImagePipeline::setTemporalFilter(bool on) {
    if (temporalOn == on) return 0;
    temporalOn = on;
    keepWhile(on, temporalHistory_, size_t(width_) * size_t(height_));
    if (on) {
        buildTemporalWeights(temporalWeights_, static_cast<int32_t>(temporalSigma_));
        temporalFrames_ = 0;
    }
    return 0;
}

int32_t ImagePipeline::setTemporalSigma(uint32_t sigma) {
    temporalSigma_ = sigma;
    if (temporalOn) buildTemporalWeights(temporalWeights_, static_cast<int32_t>(sigma));
    return 0;
}

int32_t ImagePipeline::setColumnStripeFilter(bool on) {
    columnStripeOn = on;
    return 0;
}

int32_t ImagePipeline::setRowStripeFilter(bool on) {
    rowStripeOn = on;
    return 0;
}

int32_t ImagePipeline::setSmoothing(bool on) {
    smoothingOn = on;
    return 0;
}

int32_t ImagePipeline::setSmoothingSigma(uint32_t sigma) {
    // Rebuilt over the kernel as it stands: a window too large for the table leaves it, and a
    // 1 x 1 or 2 x 2 kernel leaves the rest of the 3 x 3 entries the stage reads.
    const auto window = static_cast<int32_t>(std::min<uint32_t>(smoothingWindow, 512u));
    buildSmoothingKernel(std::span<uint32_t>(smoothingKernel(), 512), window, window,
                         static_cast<int32_t>(sigma));
    return 0;
}

int32_t ImagePipeline::setRotation(bool on) {
    rotateOn = on;
    return 0;
}

int32_t ImagePipeline::setKeepFrameCopy(bool on) {
    keepFrameCopy = on;
    if (!on) frameCopy_ = {};
    return 0;
}

int32_t ImagePipeline::setKeepImageCopy(bool on) {
    keepImageCopy = on;
    if (!on) imageCopy_ = {};
    return 0;
}

int32_t ImagePipeline::setPseudoColour(bool on) {
    pseudoColourOn = on;
    return 0;
}

int32_t ImagePipeline::setColourFormat(uint32_t format) {
    colourFormat = format;
    return 0;
}

int32_t ImagePipeline::setMappingMode(uint32_t mode) {
    if (mode > 3) return -1;
    mappingMode = mode;
    return 0;
}

int32_t ImagePipeline::setRangeHigh(int16_t high) {
    rangeHigh = high;
    return 0;
}

int32_t ImagePipeline::setRangeLow(int16_t low) {
    rangeLow = low;
    return 0;
}

int32_t ImagePipeline::setLinearBrightness(uint32_t brightness) {
    linearBrightness = brightness;
    return 0;
}

int32_t ImagePipeline::setCustomTuning(uint32_t on) {
    customTuning = on;
    return 0;
}

int32_t ImagePipeline::setPresetTuning(uint32_t on) {
    presetTuning = on;
    return 0;
}

int32_t ImagePipeline::setAdaptiveEqualisation(bool on) {
    detailPostOn = on;
    if (!on) {
        savedTileMaps_ = {};
        savedTilesX_ = savedTilesY_ = 0;
    }
    return 0;
}

int32_t ImagePipeline::loadFlatField(const uint16_t* dark, const uint16_t* gain,
                                     const uint16_t* raw) {
    if (((dark || raw) && !flatFieldOn) || (gain && flatFieldGain_.empty())) return -1;
    const size_t pixels = size_t(width_) * size_t(height_);
    if (dark) std::copy_n(dark, pixels, flatFieldDark_.data());
    if (gain) std::copy_n(gain, pixels, flatFieldGain_.data());
    if (raw) {
        std::copy_n(raw, pixels, flatFieldRaw_.data());
        flatFieldLoaded_ = true;
    }
    return 0;
}

int32_t ImagePipeline::loadLut(const uint8_t* table) {
    if (table == nullptr) return -1;
    std::copy_n(table, lut_.size(), lut_.data());
    return 0;
}

bool ImagePipeline::zoomApplies() const { return zoom_ != 1.0f && zoomMode <= 1; }

bool ImagePipeline::colourApplies() const {
    return pseudoColourOn && colourFormat < kColourFormatCount;
}

ImageShape ImagePipeline::outputShape() const {
    if (width_ == 0) return {};
    int32_t w = width_, h = height_;
    if (rotateOn && (rotateMode == 0 || rotateMode == 2)) std::swap(w, h);
    if (zoomApplies()) {
        w = zoomedSide(w, zoom_);
        h = zoomedSide(h, zoom_);
    }
    ImageShape shape{uint32_t(w), uint32_t(h), 1, size_t(w) * size_t(h)};
    if (colourApplies()) {
        shape.bytesPerPixel = colourBytesPerPixel(colourFormat);
        shape.bytes = colourOutputBytes(colourFormat, w, h);
    }
    return shape;
}

}  // namespace kmm
