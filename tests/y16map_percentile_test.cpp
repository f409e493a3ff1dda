// Y16MappingAD_dll: automatic limits 655 pixels in from each end, the gains of manual
// windows, the offsets, and the inputs we refuse.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "KModuleMeasure.h"
#include "guarded_buffer.h"

namespace kmm {
namespace {

constexpr uint8_t kSentinel = 0xA5;

struct Stretch { std::vector<uint8_t> grey; int16_t high, low; };

Stretch stretch(const std::vector<int16_t>& frame, bool autoRange, int16_t high = 0,
                int16_t low = 0, int32_t contrast = 255, int32_t brightness = 100) {
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16MappingAD_dll(frame.data(), dst.data(), contrast, brightness, int32_t(frame.size()), 1,
                     &high, &low, autoRange ? 1 : 0);
    return {dst.contents(), high, low};
}

std::vector<int16_t> ramp(int32_t from, int32_t count) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), int16_t(from));
    return v;
}

TEST(Y16MappingAD, AutomaticLimits) {
    std::vector<int16_t> deepCold(2000, 0);
    std::fill(deepCold.begin(), deepCold.begin() + 1000, int16_t(-20000));
    const struct { const char* what; std::vector<int16_t> frame; int16_t high, low; } rows[] = {
        {"uniform 1000", std::vector<int16_t>(700, 1000), 1000, 1000},
        {"256 x 192 distinct values: 655 left out at each end", ramp(-16384, 256 * 192),
         32767 - 654, -16384 + 654},
        {"fewer than 1310 pixels: the limits cross", ramp(0, 700), 45, 654},
        {"exactly 655 pixels: each scan takes the whole frame", ramp(-300, 655), -300, -300 + 654},
        {"fewer than 655 pixels: the frame's extremes", ramp(-5, 10), 4, -5},
        {"below -16384 counts as -16384", deepCold, 0, -16384},
    };
    for (const auto& r : rows) {
        const Stretch s = stretch(r.frame, true, 111, 222);
        EXPECT_EQ(s.high, r.high) << r.what;
        EXPECT_EQ(s.low, r.low) << r.what;
    }
}

// Grey values that pin gain and offset: g = trunc(v * gain / 1024) + offset.
TEST(Y16MappingAD, GainsAndOffsets) {
    const struct { const char* what; std::vector<int16_t> frame; bool autoRange; int16_t high, low; std::vector<uint8_t> grey; } rows[] = {
        // R = 1, divisor 255, gain 1024: everything at brightness.
        {"uniform, automatic", std::vector<int16_t>(655, 1000), true, 0, 0, std::vector<uint8_t>(655, 100)},
        // gain trunc(261120 / 1001) = 260; the mean inside (500) goes to 100, and 969 to
        // trunc(969 x 260 / 1024) - 26 = 220.
        {"1000 apart, manual", {500, 500, 1000, -1, 31, 969}, false, 1000, 0, {100, 100, 227, 0, 0, 220}},
        // trunc(261120 / 11) = 23738 is cut to 8192; mean 5 inside.
        {"10 apart, manual", {5, 6, 10, 30}, false, 10, 0, {100, 108, 140, 255}},
        // No pixel strictly inside: the window's middle -2000 goes to brightness in double
        // precision, trunc(100 + 253.9) = 353, gain trunc(261120 / 2001) = 130.
        {"nothing inside, manual", {-1000, -3000}, false, -1000, -3000, {227, 0}},
        // Equal ends: span 1, gain 8192; the middle 5120 goes to brightness, 5119 x 8 - 40860.
        {"equal ends, manual", {5119, 5120, 5121}, false, 5120, 5120, {92, 100, 108}},
    };
    for (const auto& r : rows) {
        const Stretch s = stretch(r.frame, r.autoRange, r.high, r.low);
        EXPECT_EQ(s.grey, r.grey) << r.what;
        if (!r.autoRange) {
            EXPECT_TRUE(s.high == r.high && s.low == r.low) << r.what << ": manual limits are not written";
        }
    }
    // Crossed automatic limits 45 and 654: divisor 256 + 608, gain 302, mean 349, offset -2.
    const Stretch crossed = stretch(ramp(0, 700), true);
    EXPECT_EQ(crossed.grey[0], 0);
    EXPECT_EQ(crossed.grey[699], 204);
    // Ramp 0..1499: limits 654 and 845, gain 255 x 1024 / 192 = 1360; value 674 just reaches 1.
    EXPECT_EQ(stretch(ramp(0, 1500), true).grey[674], 1);
    // A negative contrast inverts.
    const Stretch inverted = stretch({0, 100, 200}, false, 200, 0, -255);
    EXPECT_GT(inverted.grey[0], inverted.grey[2]);
    // Contrast -100 on equal ends: gain -102400, offset 10100; -30000 wraps in 32 bits to dark.
    EXPECT_EQ(stretch({99, 100, 101, -30000}, false, 100, 100, -100).grey, (std::vector<uint8_t>{200, 100, 0, 0}));
}

TEST(Y16MappingAD, RefusedInputsWriteNothing) {
    const std::vector<int16_t> frame(800, 10);
    const int16_t* src = frame.data();
    const struct { const char* what; const int16_t* src; bool nullDst, nullHigh, nullLow;
        int32_t width, height, autoRange; int16_t high, low; } rows[] = {
        {"empty window: max = min - 1", src, 0, 0, 0, 800, 1, 0, 9, 10}, {"reversed window", src, 0, 0, 0, 800, 1, 0, -500, 10},
        {"null source", nullptr, 0, 0, 0, 800, 1, 1, 0, 0},             {"null image", src, 1, 0, 0, 800, 1, 1, 0, 0},
        {"null max", src, 0, 1, 0, 800, 1, 1, 0, 0},                     {"null min", src, 0, 0, 1, 800, 1, 1, 0, 0},
        {"zero width", src, 0, 0, 0, 0, 1, 1, 0, 0},                     {"negative sizes", src, 0, 0, 0, -800, -1, 1, 0, 0},
    };
    for (const auto& r : rows) {
        GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
        int16_t high = r.high, low = r.low;
        Y16MappingAD_dll(r.src, r.nullDst ? nullptr : dst.data(), 255, 100, r.width, r.height,
                         r.nullHigh ? nullptr : &high, r.nullLow ? nullptr : &low, r.autoRange);
        EXPECT_EQ(dst.contents(), std::vector<uint8_t>(frame.size(), kSentinel)) << r.what;
        EXPECT_TRUE(high == r.high && low == r.low) << r.what;
    }
}

}  // namespace
}  // namespace kmm
