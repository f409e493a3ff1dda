// The Y16 mappings on real 640 x 512 camera frames: properties that must hold on any scene
// (monotonic maps, exact percentile counts).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"
#include "common/plateau_equalisation.h"
#include "imagemap/offset_code_mapping.h"
#include "real_frames.h"
#include "y16map/plateau_agc.h"

namespace kmm {
namespace {

constexpr int32_t kWidth = kRealWidth, kHeight = kRealHeight;
constexpr size_t kPixels = kRealPixels;

// Each Y16 value gets one grey, and a larger value never a darker one.
void expectMonotonic(const std::vector<int16_t>& y16, const std::vector<uint8_t>& grey) {
    std::vector<int> greyOf(65536, -1);  // indexed by Y16 + 32768
    for (size_t i = 0; i < y16.size(); ++i) {
        int& g = greyOf[size_t(y16[i] + 32768)];
        ASSERT_TRUE(g < 0 || g == grey[i]) << "Y16 " << y16[i] << " maps to two greys";
        g = grey[i];
    }
    int previous = 0;
    for (size_t k = 0; k < greyOf.size(); ++k) {
        if (greyOf[k] < 0) continue;
        ASSERT_GE(greyOf[k], previous) << "at Y16 " << int(k) - 32768;
        previous = greyOf[k];
    }
}

// The automatic limits leave fewer than 655 pixels beyond each, and the stretch is monotonic;
// without the detail layer the AGC (and the offset codes' equalisation) is a rising table of
// the Y16 value.
TEST(Y16RealFrames, PercentileStretchAndAgcAreMonotonic) {
    const auto frames = realFramesY16();
    if (frames.empty()) GTEST_SKIP() << "no real frames in " KMM_FRAMES_DIR;
    const std::vector<int16_t> noDetail(kPixels, 0);
    const auto tables = std::make_unique_for_overwrite<AgcTables>();
    for (const auto& y16 : frames) {
        GuardedBuffer<uint8_t> grey(kPixels);
        int16_t high = 0, low = 0;
        Y16MappingAD_dll(y16.data(), grey.data(), 255, 100, kWidth, kHeight, &high, &low, 1);
        const auto count = [&](auto keep) { return std::count_if(y16.begin(), y16.end(), keep); };
        EXPECT_LT(count([&](int16_t v) { return v < low; }), 655);
        EXPECT_GE(count([&](int16_t v) { return v <= low; }), 655);
        EXPECT_LT(count([&](int16_t v) { return v > high; }), 655);
        EXPECT_GE(count([&](int16_t v) { return v >= high; }), 655);
        expectMonotonic(y16, grey.contents());

        for (AgcVariant variant : {AgcVariant::HalfResolution, AgcVariant::FullResolutionSharpened}) {
            std::vector<uint8_t> agc(kPixels);
            mapPlateauAgc(*agcParams(variant), agc.data(), y16.data(), int64_t(kPixels), noDetail.data(), *tables);
            expectMonotonic(y16, agc);
        }
        // The offset codes' tuning of the same equalisation.
        const PlateauTuning offsetCodes = offsetCodeEqualisation(kOffsetCodeEntryTuning);
        const auto plateau = std::make_unique_for_overwrite<PlateauTables>();
        equalisePlateau(offsetCodes, y16.data(), int64_t(kPixels), *plateau);
        std::vector<uint8_t> equalised(kPixels);
        for (size_t i = 0; i < kPixels; ++i) equalised[i] = plateau->lut[histogramIndex(y16[i], offsetCodes.index)];
        expectMonotonic(y16, equalised);
    }
}

}  // namespace
}  // namespace kmm
