// The kmm_pipeline C API: a thin checked layer over ImagePipeline. Every entry validates all
// its arguments before it changes anything, so a refusal leaves the pipeline as it was, and
// runs behind the exception barrier, so an allocation that fails ends in a status.

#include "KModuleMeasurePipeline.h"
#include "common/export_guard.h"
#include "common/frame_view.h"
#include "imagemap/pipeline/colour_layout.h"
#include "imagemap/pipeline/image_pipeline.h"

struct kmm_pipeline {
    kmm::ImagePipeline object;
    kmm_pipeline(int32_t width, int32_t height, float zoom) : object(width, height, zoom) {}
};

namespace {

using kmm::ImagePipeline;

bool isSwitch(int on) { return on == 0 || on == 1; }
bool within(uint64_t value, uint64_t low, uint64_t high) { return value >= low && value <= high; }

// The body with the pipeline, after the null check and behind the barrier.
template <class Body>
kmm_status withPipeline(kmm_pipeline* pipeline, Body&& body) {
    return kmm::guardStatus([&] {
        if (!pipeline) return KMM_ERROR_NULL_ARGUMENT;
        return body(pipeline->object);
    });
}

// A setter's -1 (a value it refuses) as a status.
kmm_status setterStatus(int32_t result) { return result == 0 ? KMM_OK : KMM_ERROR_BAD_VALUE; }

}  // namespace

extern "C" {

KMM_API kmm_pipeline* kmm_pipeline_create(int32_t width, int32_t height, float zoom) {
    return kmm::guardExport(static_cast<kmm_pipeline*>(nullptr), [&]() -> kmm_pipeline* {
        auto* pipeline = new kmm_pipeline(width, height, zoom);
        if (pipeline->object.outputShape().width == 0) {  // the shape of refused sizes
            delete pipeline;
            return nullptr;
        }
        return pipeline;
    });
}

KMM_API void kmm_pipeline_destroy(kmm_pipeline* pipeline) { delete pipeline; }

KMM_API kmm_status kmm_pipeline_set_flat_field(kmm_pipeline* pipeline, int on) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on)) return KMM_ERROR_BAD_VALUE;
        return setterStatus(p.setFlatFieldCorrection(on));
    });
}

KMM_API kmm_status kmm_pipeline_set_bad_pixel_repair(kmm_pipeline* pipeline, int on) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on)) return KMM_ERROR_BAD_VALUE;
        return setterStatus(p.setBadPixelRepair(on));
    });
}

KMM_API kmm_status kmm_pipeline_load_flat_field(kmm_pipeline* pipeline, const uint16_t* dark,
                                                const uint16_t* gain, const uint16_t* raw) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!dark && !gain && !raw) return KMM_ERROR_NULL_ARGUMENT;
        return setterStatus(p.loadFlatField(dark, gain, raw));
    });
}

KMM_API kmm_status kmm_pipeline_set_temporal_filter(kmm_pipeline* pipeline, int on,
                                                    uint32_t sigma) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || !within(sigma, 1, 1000)) return KMM_ERROR_BAD_VALUE;
        // The sigma first: switching on builds the weights from it.
        p.setTemporalSigma(sigma);
        return setterStatus(p.setTemporalFilter(on));
    });
}

namespace {
kmm_status setStripes(kmm_pipeline* pipeline, bool rows, int on, uint32_t window,
                      uint32_t threshold, uint32_t clamp) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || !within(window, 1, 11) || threshold > 4096 || clamp > 32767)
            return KMM_ERROR_BAD_VALUE;
        (rows ? p.rowStripeWindow : p.columnStripeWindow) = window;
        (rows ? p.rowStripeThreshold : p.columnStripeThreshold) = threshold;
        (rows ? p.rowStripeClamp : p.columnStripeClamp) = clamp;
        return setterStatus(rows ? p.setRowStripeFilter(on) : p.setColumnStripeFilter(on));
    });
}
}  // namespace

KMM_API kmm_status kmm_pipeline_set_column_stripes(kmm_pipeline* pipeline, int on,
                                                   uint32_t window, uint32_t threshold,
                                                   uint32_t clamp) {
    return setStripes(pipeline, false, on, window, threshold, clamp);
}

KMM_API kmm_status kmm_pipeline_set_row_stripes(kmm_pipeline* pipeline, int on, uint32_t window,
                                                uint32_t threshold, uint32_t clamp) {
    return setStripes(pipeline, true, on, window, threshold, clamp);
}

KMM_API kmm_status kmm_pipeline_set_smoothing(kmm_pipeline* pipeline, int on, uint32_t mode,
                                              uint32_t sigma) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || mode > 1 || !within(sigma, 1, 1000)) return KMM_ERROR_BAD_VALUE;
        p.smoothingMode = mode;
        p.setSmoothingSigma(sigma);
        return setterStatus(p.setSmoothing(on));
    });
}

KMM_API kmm_status kmm_pipeline_set_mirror(kmm_pipeline* pipeline, int on, uint32_t mode) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || mode > 2) return KMM_ERROR_BAD_VALUE;
        p.flipMode = mode;
        p.flipOn = uint8_t(on);
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_rotation(kmm_pipeline* pipeline, int on, uint32_t mode) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || mode > 2) return KMM_ERROR_BAD_VALUE;
        p.rotateMode = mode;
        return setterStatus(p.setRotation(on));
    });
}

KMM_API kmm_status kmm_pipeline_set_mapping(kmm_pipeline* pipeline, uint32_t mode) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (mode > 3) return KMM_ERROR_BAD_VALUE;
        return setterStatus(p.setMappingMode(mode));
    });
}

KMM_API kmm_status kmm_pipeline_set_window(kmm_pipeline* pipeline, int16_t high, int16_t low) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (high <= low) return KMM_ERROR_BAD_VALUE;
        p.setRangeHigh(high);
        return setterStatus(p.setRangeLow(low));
    });
}

KMM_API kmm_status kmm_pipeline_set_linear(kmm_pipeline* pipeline, uint32_t percentile,
                                           uint32_t brightness, uint32_t contrast) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (percentile > 500 || brightness > 255 || contrast > 1024) return KMM_ERROR_BAD_VALUE;
        p.percentile = percentile;
        p.linearContrast = contrast;
        return setterStatus(p.setLinearBrightness(brightness));
    });
}

KMM_API kmm_status kmm_pipeline_set_equalised(kmm_pipeline* pipeline, uint32_t brightness,
                                              uint32_t plateau, uint32_t max_range) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (brightness > 255 || !within(plateau, 1, 1000000) || max_range > 255)
            return KMM_ERROR_BAD_VALUE;
        p.equaliseBrightness = brightness;
        p.plateau = plateau;
        p.equaliseMaxRange = max_range;
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_detail(kmm_pipeline* pipeline, int on, uint32_t base_window,
                                           uint32_t gain) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || !within(base_window, 1, 11) || gain > 65535)
            return KMM_ERROR_BAD_VALUE;
        p.detailBaseWindow = base_window;
        p.detailGain = gain;
        p.detailOn = uint8_t(on);
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_adaptive_equalisation(kmm_pipeline* pipeline, int on,
                                                          uint32_t tiles_x, uint32_t tiles_y,
                                                          uint32_t clip_factor) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || !within(tiles_x, 1, 16) || !within(tiles_y, 1, 16) ||
            !within(clip_factor, 1, 100))
            return KMM_ERROR_BAD_VALUE;
        p.claheTilesX = tiles_x;
        p.claheTilesY = tiles_y;
        p.claheClipFactor = clip_factor;
        return setterStatus(p.setAdaptiveEqualisation(on));
    });
}

KMM_API kmm_status kmm_pipeline_set_lut(kmm_pipeline* pipeline, int on) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on)) return KMM_ERROR_BAD_VALUE;
        p.lutOn = uint8_t(on);
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_load_lut(kmm_pipeline* pipeline, const uint8_t table[256]) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!table) return KMM_ERROR_NULL_ARGUMENT;
        return setterStatus(p.loadLut(table));
    });
}

KMM_API kmm_status kmm_pipeline_set_sharpen(kmm_pipeline* pipeline, int on, float amount) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || !(amount >= 0.0f && amount <= 16.0f)) return KMM_ERROR_BAD_VALUE;
        p.sharpenAmount = amount;
        p.sharpenOn = uint8_t(on);
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_contrast(kmm_pipeline* pipeline, int on, uint32_t brightness,
                                             uint32_t contrast) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || brightness > 255 || contrast > 1024) return KMM_ERROR_BAD_VALUE;
        p.contrastBrightness = brightness;
        p.contrastGain = contrast;
        p.contrastOn = uint8_t(on);
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_zoom_mode(kmm_pipeline* pipeline, uint32_t mode) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (mode > 1) return KMM_ERROR_BAD_VALUE;
        p.zoomMode = mode;
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_set_colour(kmm_pipeline* pipeline, int on, uint32_t palette,
                                           kmm_colour_format format, int kind) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!isSwitch(on) || palette > 11 || uint32_t(format) > 11 || (kind != 0 && kind != 1))
            return KMM_ERROR_BAD_VALUE;
        p.palette = palette;
        p.paletteKind = uint8_t(kind);
        p.setColourFormat(uint32_t(format));
        return setterStatus(p.setPseudoColour(on));
    });
}

KMM_API kmm_status kmm_pipeline_set_marks(kmm_pipeline* pipeline, uint32_t mode, int16_t high,
                                          int16_t low, uint32_t colour, uint32_t low_colour) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (mode > 3) return KMM_ERROR_BAD_VALUE;
        p.colourParams = {mode, high, low, colour, low_colour};
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_output(const kmm_pipeline* pipeline, kmm_pipeline_image* image) {
    return kmm::guardStatus([&] {
        if (!pipeline || !image) return KMM_ERROR_NULL_ARGUMENT;
        const kmm::ImageShape shape = pipeline->object.outputShape();
        *image = {shape.width, shape.height, shape.bytesPerPixel, shape.bytes};
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_pipeline_run(kmm_pipeline* pipeline, const int16_t* frame, uint8_t* out,
                                    size_t capacity, kmm_pipeline_image* image) {
    return withPipeline(pipeline, [&](ImagePipeline& p) {
        if (!frame || !out) return KMM_ERROR_NULL_ARGUMENT;
        const kmm::ImageShape shape = p.outputShape();
        if (shape.bytes > capacity) return KMM_ERROR_BUFFER_TOO_SMALL;
        if (!p.run(frame, out, capacity)) return KMM_ERROR_INTERNAL;
        if (image) *image = {shape.width, shape.height, shape.bytesPerPixel, shape.bytes};
        return KMM_OK;
    });
}

KMM_API kmm_status kmm_colour_image(const uint8_t* grey, int32_t width, int32_t height,
                                    uint32_t palette, kmm_colour_format format, uint8_t* out,
                                    size_t capacity, size_t* written) {
    return kmm::guardStatus([&] {
        if (!grey || !out) return KMM_ERROR_NULL_ARGUMENT;
        if (!kmm::checkedFrame(grey, width, height)) return KMM_ERROR_BAD_SIZE;
        if (palette > 11 || uint32_t(format) >= kmm::kColourFormatCount) return KMM_ERROR_BAD_VALUE;
        const size_t bytes = kmm::colourOutputBytes(uint32_t(format), width, height);
        if (bytes > capacity) return KMM_ERROR_BUFFER_TOO_SMALL;
        kmm::colourByPalette(out, grey, width, height, palette, uint32_t(format));
        if (written) *written = bytes;
        return KMM_OK;
    });
}

}  // extern "C"
