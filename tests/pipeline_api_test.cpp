// The kmm_pipeline C API: refusals change nothing and write nothing; a run through the API is
// the run of the object it wraps with the same settings.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "KModuleMeasurePipeline.h"
#include "imagemap/pipeline/image_pipeline.h"
#include "real_frames.h"

namespace kmm {
namespace {

using Pipeline = std::unique_ptr<kmm_pipeline, decltype(&kmm_pipeline_destroy)>;
Pipeline create(int32_t w, int32_t h, float zoom = 1.0f) {
    return {kmm_pipeline_create(w, h, zoom), kmm_pipeline_destroy};
}

// A crop of a real street frame, in temperature-code-like units.
std::vector<int16_t> streetCrop(int32_t w, int32_t h) {
    const auto frames = realFramesY16();
    std::vector<int16_t> out;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out.push_back(frames.empty() ? int16_t(x * 7 + y) : frames[0][size_t(y + 100) * kRealWidth + size_t(x + 200)]);
    return out;
}

std::vector<uint8_t> runOnce(kmm_pipeline* p, const std::vector<int16_t>& frame) {
    kmm_pipeline_image image{};
    EXPECT_EQ(kmm_pipeline_output(p, &image), KMM_OK);
    std::vector<uint8_t> out(size_t(image.bytes));
    EXPECT_EQ(kmm_pipeline_run(p, frame.data(), out.data(), out.size(), &image), KMM_OK);
    return out;
}

using Call = std::function<kmm_status(kmm_pipeline*)>;
const uint8_t kTable[256] = {};
const uint16_t kFrame16[17 * 5] = {};

// Every entry with good arguments (at the ends of their ranges), and with one bad one.
#define KMM_CALLS(what, f, good, bad) {what, [](auto p) { return kmm_pipeline_##f good; }, \
                                      [](auto p) { return kmm_pipeline_##f bad; }}
const struct { const char* what; Call good, bad; } kCalls[] = {
    KMM_CALLS("flat field", set_flat_field, (p, 1), (p, 2)), KMM_CALLS("bad pixels", set_bad_pixel_repair, (p, 1), (p, -1)),
    KMM_CALLS("temporal", set_temporal_filter, (p, 1, 1000), (p, 1, 1001)),
    KMM_CALLS("column stripes", set_column_stripes, (p, 1, 11, 4096, 32767), (p, 1, 12, 3500, 20)),
    KMM_CALLS("row stripes", set_row_stripes, (p, 1, 1, 3500, 20), (p, 1, 9, 4097, 20)),
    KMM_CALLS("stripe clamp", set_row_stripes, (p, 1, 1, 0, 0), (p, 1, 1, 0, 32768)),
    KMM_CALLS("smoothing", set_smoothing, (p, 1, 1, 1000), (p, 1, 2, 5)),
    KMM_CALLS("smoothing sigma", set_smoothing, (p, 0, 0, 1), (p, 1, 1, 1001)),
    KMM_CALLS("mirror", set_mirror, (p, 1, 2), (p, 1, 3)), KMM_CALLS("rotation", set_rotation, (p, 1, 2), (p, 1, 3)),
    KMM_CALLS("mapping", set_mapping, (p, 3), (p, 4)), KMM_CALLS("window", set_window, (p, 101, 100), (p, 100, 100)),
    KMM_CALLS("linear", set_linear, (p, 500, 255, 1024), (p, 501, 20, 200)),
    KMM_CALLS("linear brightness", set_linear, (p, 0, 0, 0), (p, 0, 256, 0)),
    KMM_CALLS("linear contrast", set_linear, (p, 0, 0, 0), (p, 10, 20, 1025)),
    KMM_CALLS("equalised", set_equalised, (p, 255, 1000000, 255), (p, 80, 0, 230)),
    KMM_CALLS("equalised range", set_equalised, (p, 0, 1, 0), (p, 80, 100, 256)),
    KMM_CALLS("equalised brightness", set_equalised, (p, 255, 1, 0), (p, 256, 100, 230)),
    KMM_CALLS("detail", set_detail, (p, 1, 11, 65535), (p, 1, 12, 48)),
    KMM_CALLS("detail gain", set_detail, (p, 1, 1, 65535), (p, 1, 1, 65536)),
    KMM_CALLS("adaptive", set_adaptive_equalisation, (p, 1, 16, 16, 100), (p, 1, 17, 2, 5)),
    KMM_CALLS("adaptive rows", set_adaptive_equalisation, (p, 1, 1, 16, 1), (p, 1, 2, 17, 5)),
    KMM_CALLS("adaptive clip", set_adaptive_equalisation, (p, 1, 1, 1, 1), (p, 1, 2, 2, 101)),
    KMM_CALLS("lut", set_lut, (p, 1), (p, 7)), KMM_CALLS("sharpen", set_sharpen, (p, 1, 16.0f), (p, 1, NAN)),
    KMM_CALLS("sharpen amount", set_sharpen, (p, 1, 0.0f), (p, 1, 16.5f)),
    KMM_CALLS("contrast", set_contrast, (p, 1, 255, 1024), (p, 1, 256, 128)),
    KMM_CALLS("contrast gain", set_contrast, (p, 0, 0, 0), (p, 1, 128, 1025)),
    KMM_CALLS("colour", set_colour, (p, 1, 11, KMM_COLOUR_YV12, 1), (p, 1, 12, KMM_COLOUR_RGBA32, 0)),
    KMM_CALLS("colour format", set_colour, (p, 1, 0, KMM_COLOUR_YV12, 0), (p, 1, 0, kmm_colour_format(12), 0)),
    KMM_CALLS("marks", set_marks, (p, 3, 900, 100, 0xFF0000, 0), (p, 4, 900, 100, 0, 0)),
    KMM_CALLS("zoom mode", set_zoom_mode, (p, 1), (p, 2)), KMM_CALLS("load lut", load_lut, (p, kTable), (p, nullptr)),
    {"load flat field", [](auto p) {
         kmm_pipeline_set_bad_pixel_repair(p, 1);
         return kmm_pipeline_load_flat_field(p, nullptr, kFrame16, nullptr);
     },
     [](auto p) { return kmm_pipeline_load_flat_field(p, kFrame16, nullptr, nullptr); }},
};
#undef KMM_CALLS

TEST(PipelineApi, RefusalsChangeNothing) {
    const auto frame = streetCrop(17, 5);
    for (const auto& c : kCalls) {
        SCOPED_TRACE(c.what);
        EXPECT_NE(c.good(nullptr), KMM_OK);
        auto p = create(17, 5);
        EXPECT_EQ(c.good(p.get()), KMM_OK);
        auto fresh = create(17, 5), refused = create(17, 5);
        EXPECT_LT(c.bad(refused.get()), 0);
        EXPECT_EQ(runOnce(refused.get(), frame), runOnce(fresh.get(), frame));
    }
    for (auto [w, h, zoom] : {std::tuple{0, 5, 1.0f}, {5, 0, 1.0f}, {5, -1, 1.0f}, {1 << 16, 1 << 14, 1.0f},
                              {4096, 4096, 100.0f}})
        EXPECT_EQ(create(w, h, zoom), nullptr);
    EXPECT_NE(create(1 << 15, 1 << 14), nullptr);  // 2^29 pixels, the most a pipeline takes
}

TEST(PipelineApi, RunRefusesASmallBufferAndWritesNothing) {
    const auto frame = streetCrop(33, 9);
    auto p = create(33, 9, 1.5f);
    kmm_pipeline_image image{};
    ASSERT_EQ(kmm_pipeline_output(p.get(), &image), KMM_OK);
    EXPECT_EQ(image.width, 49u);
    EXPECT_EQ(image.bytes, uint64_t(49) * 13 * 3);
    std::vector<uint8_t> out(size_t(image.bytes), 0xA5);
    EXPECT_EQ(kmm_pipeline_run(p.get(), frame.data(), out.data(), out.size() - 1, &image), KMM_ERROR_BUFFER_TOO_SMALL);
    EXPECT_EQ(kmm_pipeline_run(p.get(), nullptr, out.data(), out.size(), &image), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(kmm_pipeline_output(p.get(), nullptr), KMM_ERROR_NULL_ARGUMENT);
    EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0xA5));
    EXPECT_EQ(kmm_pipeline_run(p.get(), frame.data(), out.data(), out.size(), &image), KMM_OK);  // zoom and colour
}

// Many stages at once through the API, against the object set up by hand.
TEST(PipelineApi, RunIsTheObjectsRun) {
    const int32_t w = 161, h = 121;
    const auto frame = streetCrop(w, h);
    auto p = create(w, h, 1.25f);
    ASSERT_EQ(kmm_pipeline_set_row_stripes(p.get(), 1, 7, 3000, 30), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_rotation(p.get(), 1, 2), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_detail(p.get(), 1, 5, 64), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_mapping(p.get(), 2), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_sharpen(p.get(), 1, 0.5f), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_colour(p.get(), 1, 3, KMM_COLOUR_NV12, 0), KMM_OK);

    ImagePipeline o(w, h, 1.25f);
    o.rowStripeWindow = 7, o.rowStripeThreshold = 3000, o.rowStripeClamp = 30;
    o.setRowStripeFilter(true), o.rotateMode = 2, o.setRotation(true);
    o.detailBaseWindow = 5, o.detailGain = 64, o.detailOn = 1, o.setMappingMode(2);
    o.sharpenAmount = 0.5f, o.sharpenOn = 1, o.palette = 3, o.setColourFormat(8);
    // Twice: the second run reads what the first left in the object.
    for (int run = 0; run < 2; ++run) {
        std::vector<uint8_t> expected(o.outputShape().bytes);
        ASSERT_TRUE(o.run(frame.data(), expected.data(), expected.size()));
        EXPECT_EQ(runOnce(p.get(), frame), expected);
    }
}

// Colouring the grey image afterwards is the colour stage; short buffers and bad values refused.
TEST(PipelineApi, ColouringAGreyImageIsTheColourStage) {
    const int32_t w = 33, h = 9;
    const auto frame = streetCrop(w, h);
    auto grey = create(w, h), coloured = create(w, h);
    ASSERT_EQ(kmm_pipeline_set_colour(grey.get(), 0, 0, KMM_COLOUR_BGR24, 0), KMM_OK);
    ASSERT_EQ(kmm_pipeline_set_colour(coloured.get(), 1, 11, KMM_COLOUR_I420, 0), KMM_OK);
    const auto image = runOnce(grey.get(), frame);
    std::vector<uint8_t> out(runOnce(coloured.get(), frame).size() + 1, 0xA5);
    size_t written = 0;
    for (auto [g, width, palette, format, o, capacity, status] : {
             std::tuple(image.data(), w, 4u, KMM_COLOUR_I420, out.data(), out.size() - 2, KMM_ERROR_BUFFER_TOO_SMALL),
             {image.data(), w, 12u, KMM_COLOUR_I420, out.data(), out.size(), KMM_ERROR_BAD_VALUE},
             {image.data(), w, 4u, kmm_colour_format(12), out.data(), out.size(), KMM_ERROR_BAD_VALUE},
             {image.data(), 0, 4u, KMM_COLOUR_I420, out.data(), out.size(), KMM_ERROR_BAD_SIZE},
             {nullptr, w, 4u, KMM_COLOUR_I420, out.data(), out.size(), KMM_ERROR_NULL_ARGUMENT},
             {image.data(), w, 4u, KMM_COLOUR_I420, nullptr, out.size(), KMM_ERROR_NULL_ARGUMENT}})
        EXPECT_EQ(kmm_colour_image(g, width, h, palette, format, o, capacity, &written), status);
    EXPECT_EQ(out, std::vector<uint8_t>(out.size(), 0xA5));
    ASSERT_EQ(kmm_colour_image(image.data(), w, h, 11, KMM_COLOUR_I420, out.data(), out.size() - 1, &written), KMM_OK);
    EXPECT_EQ(written, out.size() - 1);
    out.pop_back();
    EXPECT_EQ(out, runOnce(coloured.get(), frame));
}

}  // namespace
}  // namespace kmm
