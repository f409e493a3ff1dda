// The ImagePipeline object: which setter owns which buffer (allocated once, freed when
// switched off), release, the run's statistics and copies, and pending stages passing through.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "imagemap/pipeline/image_pipeline.h"

namespace kmm {
namespace {

TEST(ImagePipelineObject, SettersAllocateOnceAndFreeWhenSwitchedOff) {
    using Get = std::function<const void*(const PipelineBuffers&)>;
    struct Row {
        const char* what;
        std::function<void(ImagePipeline&, bool)> set;
        Get buffer;
    };
    const Row rows[] = {
        {"mixed mode", [](ImagePipeline& p, bool on) { p.setMappingMode(on ? 2 : 3); },
         [](const PipelineBuffers& b) { return (const void*)b.equalisedImage.get(); }},
        {"frame copy", [](ImagePipeline& p, bool on) { p.setKeepFrameCopy(on); },
         [](const PipelineBuffers& b) { return (const void*)b.frameCopy.get(); }},
        {"image copy", [](ImagePipeline& p, bool on) { p.setKeepImageCopy(on); },
         [](const PipelineBuffers& b) { return (const void*)b.imageCopy.get(); }},
        {"temporal", [](ImagePipeline& p, bool on) { p.setTemporalFilter(on); },
         [](const PipelineBuffers& b) { return (const void*)b.temporalHistory.get(); }},
        {"flat field", [](ImagePipeline& p, bool on) { p.setFlatFieldCorrection(on); },
         [](const PipelineBuffers& b) { return (const void*)b.flatFieldRaw.get(); }},
        {"bad pixels", [](ImagePipeline& p, bool on) { p.setBadPixelRepair(on); },
         [](const PipelineBuffers& b) { return (const void*)b.flatFieldGain.get(); }},
        {"column stripes", [](ImagePipeline& p, bool on) { p.setColumnStripeFilter(on); },
         [](const PipelineBuffers& b) { return (const void*)b.stripeDifference.get(); }},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        ImagePipeline p(32, 16, 1.0f);
        r.set(p, false);  // the column filter starts on
        EXPECT_EQ(r.buffer(p.buffers()), nullptr);
        r.set(p, true);
        const void* first = r.buffer(p.buffers());
        EXPECT_NE(first, nullptr);
        r.set(p, true);  // unchanged value: the same buffer, not a new one
        EXPECT_EQ(r.buffer(p.buffers()), first);
        r.set(p, false);
        r.set(p, false);
        EXPECT_EQ(r.buffer(p.buffers()), nullptr);
    }
}

TEST(ImagePipelineObject, SharedBuffersStayWhileEitherSwitchNeedsThem) {
    ImagePipeline p(8, 8, 1.0f);
    p.setRowStripeFilter(true);  // column filter already on: nothing new
    const void* stripes = p.buffers().stripeSmoothed.get();
    p.setColumnStripeFilter(false);  // the row filter still needs them
    EXPECT_EQ(p.buffers().stripeSmoothed.get(), stripes);
    p.setRowStripeFilter(false);
    EXPECT_EQ(p.buffers().stripeSmoothed, nullptr);
    p.setFlatFieldCorrection(true);
    p.setBadPixelRepair(true);
    p.setFlatFieldCorrection(false);  // the gain frame is the bad-pixel mask: it stays
    EXPECT_NE(p.buffers().flatFieldGain, nullptr);
    EXPECT_EQ(p.buffers().flatFieldDark, nullptr);
}

TEST(ImagePipelineObject, ReleaseTwiceRunAfterReleaseAndUnusableSizes) {
    ImagePipeline p(8, 8, 1.0f);
    p.setMappingMode(2);
    p.setKeepFrameCopy(true);
    p.release();
    EXPECT_EQ(p.buffers().input, nullptr);
    EXPECT_EQ(p.buffers().linearImage, nullptr);
    EXPECT_EQ(p.buffers().frameCopy, nullptr);
    p.release();
    p.run();  // nothing to run on; the destructor releases a third time
    EXPECT_EQ(p.output(), nullptr);
    for (auto [w, h] : {std::pair{0, 5}, {5, -1}, {65536, 65536}}) {
        ImagePipeline q(w, h, 1.0f);
        q.setMappingMode(2);
        q.run();
        EXPECT_EQ(q.input(), nullptr) << w << "x" << h;
        EXPECT_EQ(q.outCount, 0);
    }
}

// A pipeline configured as the temperature-matrix mapping configures it, fed `frame`.
ImagePipeline& configured(ImagePipeline& p, const std::vector<int16_t>& frame, int16_t high,
                          int16_t low) {
    p.setColumnStripeFilter(false);
    p.setPseudoColour(false);
    p.setKeepFrameCopy(true);
    p.setKeepImageCopy(true);
    p.setMappingMode(3);
    p.setRangeHigh(high);
    p.setRangeLow(low);
    std::copy(frame.begin(), frame.end(), p.input());
    return p;
}

TEST(ImagePipelineObject, ImageStatisticsAndCopies) {
    struct Row {
        int16_t value0, value1;  // first half, second half of a 4 x 4 frame
        std::array<uint8_t, 4> stats;
    };
    for (const Row& r : {Row{0, 1000, {255, 0, 127, 255}}, {500, 500, {254, 254, 254, 0}}}) {
        std::vector<int16_t> frame(16, r.value0);
        std::fill(frame.begin() + 8, frame.end(), r.value1);
        ImagePipeline p(4, 4, 1.0f);
        configured(p, frame, 999, 0).run();
        EXPECT_EQ(p.imageStats, r.stats) << r.value0 << "/" << r.value1;
        const auto& b = p.buffers();
        EXPECT_TRUE(std::equal(frame.begin(), frame.end(), b.frameCopy.get()));
        EXPECT_TRUE(std::equal(b.imageCopy.get(), b.imageCopy.get() + 16, p.output()));
    }
}

TEST(ImagePipelineObject, SmoothingStageFeedsTheMappingOnlyForWindow3) {
    // Smoothing a uniform 600 gives 599; a Gaussian window other than 3 leaves it as it is.
    for (auto [window, expected] : {std::pair<int32_t, int16_t>{3, 599}, {5, 600}}) {
        ImagePipeline p(6, 5, 1.0f);
        configured(p, std::vector<int16_t>(30, 600), 1000, 0);
        p.setSmoothing(true);
        p.setSmoothingSigma(5);
        p.smoothingWindow = window;
        p.run();
        const int16_t* copy = p.buffers().frameCopy.get();
        EXPECT_EQ(std::vector<int16_t>(copy, copy + 30), std::vector<int16_t>(30, expected));
    }
}

TEST(ImagePipelineObject, StagesNotYetWrittenPassTheFrameThrough) {
    std::vector<int16_t> frame(48);
    for (int i = 0; i < 48; ++i) frame[i] = int16_t(i * 37 % 500 - 100);
    ImagePipeline plain(8, 6, 1.0f), all(8, 6, 1.0f);
    configured(plain, frame, 400, -100).run();
    configured(all, frame, 400, -100);
    all.setFlatFieldCorrection(true);
    all.setBadPixelRepair(true);
    all.setTemporalFilter(true);
    all.setColumnStripeFilter(true);
    all.setRowStripeFilter(true);
    all.setRotation(true);
    all.setPseudoColour(true);
    all.flipOn = all.detailOn = all.lutOn = all.sharpenOn = all.contrastOn = 1;
    all.run();
    EXPECT_TRUE(std::equal(plain.output(), plain.output() + 48, all.output()));
    EXPECT_EQ(all.outCount, 48);
}

TEST(ImagePipelineObject, ZoomedObjectStillMapsAtItsOwnSize) {
    EXPECT_EQ(ImagePipeline(4, 4, 0.5f).requestedZoom, 1.0f);  // never below 1
    ImagePipeline p(4, 4, 2.0f);
    configured(p, std::vector<int16_t>(16, 1000), 999, 0).run();
    EXPECT_EQ(p.outCount, 16);
    EXPECT_EQ(p.output()[15], 255);
}

}  // namespace
}  // namespace kmm
