// ImagePipeline construction, setters and release: which buffers exist when, and the tables
// built once per object.
#include "imagemap/pipeline/image_pipeline.h"

#include <algorithm>

#include "kernels/conversions.h"
#include "kernels/weight_tables.h"

namespace kmm {
namespace {

// Buffers that a run fills before reading need no clearing: the frame-sized ones are
// allocated uninitialised, which keeps construction cheap on large frames.
template <class T>
PipelineBuffer<T> allocate(uint64_t count) {
    return std::make_unique_for_overwrite<T[]>(count);
}
template <class T>
PipelineBuffer<T> allocateZeroed(uint64_t count) {
    return std::make_unique<T[]>(count);
}

constexpr uint64_t kTemporalHistoryBytes = 960000;

}  // namespace

ImagePipeline::ImagePipeline(int32_t w, int32_t h, float requested) {
    requestedZoom = std::max(1.0f, requested);  // NaN compares false: 1.0
    if (w > 0 && h > 0 && int64_t(w) * h <= INT32_MAX) {
        width = static_cast<uint32_t>(w);
        height = static_cast<uint32_t>(h);
    }
    const uint64_t pixels = uint64_t(width) * height;
    const uint64_t bordered = (uint64_t(width) + 10) * (height + 10);
    workWidth = outWidth = width;
    workHeight = outHeight = height;
    workCount = static_cast<uint32_t>(pixels);
    outCount = static_cast<int32_t>(pixels);

    buildTemporalWeights(temporalWeights, static_cast<int32_t>(temporalSigma));
    buildRangeTable(columnStripeRangeTable, 25);
    buildRangeTable(rowStripeRangeTable, 25);
    buildSmoothingKernel(smoothingKernel, 3, 3, 5);
    buildRangeTable(smoothingRangeTable, 5);
    buildRangeTable(detailRangeTable, 15);
    buildSmoothingKernel(detailKernel, 3, 3, 15);
    if (pixels == 0) return;  // empty object: no buffers, run() does nothing

    buffers_.input = allocate<int16_t>(pixels);
    buffers_.work16 = allocate<int16_t>(pixels);
    buffers_.border = allocate<int16_t>(bordered);
    // The stripe filter is on by default.
    buffers_.stripeSmoothed = allocate<uint16_t>(pixels);
    buffers_.stripeWeights = allocate<uint16_t>(pixels);
    buffers_.stripeDifference = allocate<int32_t>(pixels);
    buffers_.columnOffsets = allocate<int32_t>(width);
    buffers_.rowOffsets = allocate<int32_t>(height);

    zoom = requestedZoom;
    if (zoom != 1.0f) {
        const float bytes = static_cast<float>(pixels * 4) * zoom * zoom;
        buffers_.image8 = allocateZeroed<uint8_t>(saturatingTrunc<uint64_t>(bytes));
        buffers_.output = allocateZeroed<uint8_t>(saturatingTrunc<uint64_t>(bytes));
    } else {
        // Four bytes a pixel leave room for colour. Every run writes the grey bytes before
        // reading them (the run clears them itself when the mapping writes nothing).
        buffers_.image8 = allocate<uint8_t>(pixels * 4);
        buffers_.output = allocate<uint8_t>(pixels * 4);
    }
}

int32_t ImagePipeline::setFlatFieldCorrection(bool on) {
    if (flatFieldOn == on) return 0;
    flatFieldOn = on;
    // The gain frame doubles as the bad-pixel mask, so it stays while that stage needs it.
    const uint64_t pixels = uint64_t(width) * height;
    if (on) {
        buffers_.flatFieldDark = allocateZeroed<uint16_t>(pixels);
        buffers_.flatFieldRaw = allocateZeroed<uint16_t>(pixels);
        if (!badPixelOn) buffers_.flatFieldGain = allocateZeroed<uint16_t>(pixels);
    } else {
        buffers_.flatFieldDark.reset();
        buffers_.flatFieldRaw.reset();
        if (!badPixelOn) buffers_.flatFieldGain.reset();
    }
    return 0;
}

int32_t ImagePipeline::setBadPixelRepair(bool on) {
    if (badPixelOn == on) return 0;
    badPixelOn = on;
    if (!flatFieldOn) {
        if (on) {
            buffers_.flatFieldGain = allocateZeroed<uint16_t>(uint64_t(width) * height);
        } else {
            buffers_.flatFieldGain.reset();
        }
    }
    return 0;
}

int32_t ImagePipeline::setTemporalFilter(bool on) {
    if (temporalOn == on) return 0;
    temporalOn = on;
    if (on) {
        const uint64_t pixels = uint64_t(width) * height;
        buffers_.temporalHistory = allocateZeroed<uint8_t>(kTemporalHistoryBytes);
        buffers_.temporalMotion = allocateZeroed<int16_t>(pixels);
        buffers_.temporalResult = allocateZeroed<int16_t>(pixels);
        buffers_.temporalBordered = allocateZeroed<int16_t>((uint64_t(width) + 10) * (height + 10));
    } else {
        buffers_.temporalHistory.reset();
        buffers_.temporalMotion.reset();
        buffers_.temporalResult.reset();
        buffers_.temporalBordered.reset();
    }
    return 0;
}

namespace {

// The column and row stripe filters share one set of buffers: they exist while either is on.
void switchStripeBuffers(PipelineBuffers& b, bool on, uint32_t width, uint32_t height) {
    const uint64_t pixels = uint64_t(width) * height;
    if (on) {
        b.stripeSmoothed = allocate<uint16_t>(pixels);
        b.stripeWeights = allocate<uint16_t>(pixels);
        b.stripeDifference = allocate<int32_t>(pixels);
        b.columnOffsets = allocate<int32_t>(width);
        b.rowOffsets = allocate<int32_t>(height);
    } else {
        b.stripeSmoothed.reset();
        b.stripeWeights.reset();
        b.stripeDifference.reset();
        b.columnOffsets.reset();
        b.rowOffsets.reset();
    }
}

}  // namespace

int32_t ImagePipeline::setColumnStripeFilter(bool on) {
    if (columnStripeOn == on) return 0;
    columnStripeOn = on;
    if (!rowStripeOn) switchStripeBuffers(buffers_, on, width, height);
    return 0;
}

int32_t ImagePipeline::setRowStripeFilter(bool on) {
    if (rowStripeOn == on) return 0;
    rowStripeOn = on;
    if (!columnStripeOn) switchStripeBuffers(buffers_, on, width, height);
    return 0;
}

int32_t ImagePipeline::setSmoothing(bool on) {
    smoothingOn = on;
    return 0;
}

int32_t ImagePipeline::setSmoothingSigma(uint32_t sigma) {
    smoothingSigma = sigma;
    // The range table keeps the sigma it was built with.
    const auto window = static_cast<int32_t>(std::min<uint32_t>(smoothingWindow, 512u));
    buildSmoothingKernel(smoothingKernel, window, window, static_cast<int32_t>(sigma));
    return 0;
}

int32_t ImagePipeline::setRotation(bool on) {
    rotateOn = on;
    return 0;
}

int32_t ImagePipeline::setKeepFrameCopy(bool on) {
    if (keepFrameCopy == on) return 0;
    keepFrameCopy = on;
    if (on) {
        buffers_.frameCopy = allocate<int16_t>(uint64_t(width) * height);
    } else {
        buffers_.frameCopy.reset();
    }
    return 0;
}

int32_t ImagePipeline::setKeepImageCopy(bool on) {
    if (keepImageCopy == on) return 0;
    keepImageCopy = on;
    if (on) {
        buffers_.imageCopy = allocate<uint8_t>(uint64_t(width) * height);
    } else {
        buffers_.imageCopy.reset();
    }
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
    if (mappingMode == mode) return 0;
    const bool wasMixed = mappingMode == 2;
    mappingMode = mode;
    // The mode's two work images belong to the object's lifecycle; the mixed mapping itself
    // blends per value (see mixed_mapping.cpp) and does not need them.
    if (mode == 2) {
        const uint64_t pixels = uint64_t(width) * height;
        buffers_.linearImage = allocate<uint8_t>(pixels);
        buffers_.equalisedImage = allocate<uint8_t>(pixels);
    } else if (wasMixed) {
        buffers_.linearImage.reset();
        buffers_.equalisedImage.reset();
    }
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

void ImagePipeline::release() { buffers_ = PipelineBuffers{}; }

}  // namespace kmm
