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

struct Stretch {
    std::vector<uint8_t> grey;
    int16_t high, low;
};

Stretch stretch(const std::vector<int16_t>& frame, int32_t contrast, int32_t brightness,
                bool autoRange, int16_t high = 0, int16_t low = 0) {
    GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
    Y16MappingAD_dll(frame.data(), dst.data(), contrast, brightness, int32_t(frame.size()), 1,
                     &high, &low, autoRange ? 1 : 0);
    EXPECT_TRUE(dst.canariesIntact());
    return {dst.contents(), high, low};
}

std::vector<int16_t> ramp(int32_t from, int32_t count) {
    std::vector<int16_t> v(static_cast<size_t>(count));
    std::iota(v.begin(), v.end(), int16_t(from));
    return v;
}

TEST(Y16MappingAD, AutomaticLimits) {
    struct Row {
        const char* what;
        std::vector<int16_t> frame;
        int16_t high, low;
    };
    std::vector<int16_t> deepCold(2000, 0);
    std::fill(deepCold.begin(), deepCold.begin() + 1000, int16_t(-20000));
    const Row rows[] = {
        {"uniform 1000", std::vector<int16_t>(700, 1000), 1000, 1000},
        {"256 x 192 distinct values: 655 left out at each end", ramp(-16384, 256 * 192), 32767 - 654,
         -16384 + 654},
        {"fewer than 1310 pixels: the limits cross", ramp(0, 700), 45, 654},
        {"exactly 655 pixels: each scan takes the whole frame", ramp(-300, 655), -300, -300 + 654},
        {"fewer than 655 pixels: the frame's extremes", ramp(-5, 10), 4, -5},
        {"one pixel", {-1234}, -1234, -1234},
        {"below -16384 counts as -16384", deepCold, 0, -16384},
    };
    for (const Row& r : rows) {
        const Stretch s = stretch(r.frame, 255, 100, true, 111, 222);
        EXPECT_EQ(s.high, r.high) << r.what;
        EXPECT_EQ(s.low, r.low) << r.what;
    }
}

// Grey values that pin gain and offset: g = trunc(v * gain / 1024) + offset.
TEST(Y16MappingAD, GainsAndOffsets) {
    struct Row {
        const char* what;
        std::vector<int16_t> frame;
        bool autoRange;
        int16_t high, low;
        std::vector<uint8_t> grey;
    };
    std::vector<int16_t> crossed = ramp(0, 700);
    const Row rows[] = {
        // R = 1, divisor 255, gain 1024: everything at brightness.
        {"uniform, automatic", std::vector<int16_t>(655, 1000), true, 0, 0,
         std::vector<uint8_t>(655, 100)},
        // gain trunc(261120 / 1001) = 260; the mean inside (500) goes to 100.
        {"1000 apart, manual", {500, 500, 1000, -1}, false, 1000, 0, {100, 100, 227, 0}},
        // trunc(261120 / 11) = 23738 is cut to 8192; mean 5 inside.
        {"10 apart, manual", {5, 6, 10, 30}, false, 10, 0, {100, 108, 140, 255}},
        // No pixel strictly inside: the window's middle -2000 goes to brightness in double
        // precision, trunc(100 + 253.9) = 353, gain trunc(261120 / 2001) = 130.
        {"nothing inside, manual", {-1000, -3000}, false, -1000, -3000, {227, 0}},
        // Crossed limits 45 and 654: divisor 256 + 608, gain 302, mean 349, offset -2.
        {"crossed automatic limits", crossed, true, 0, 0, {}},
    };
    for (const Row& r : rows) {
        const Stretch s = stretch(r.frame, 255, 100, r.autoRange, r.high, r.low);
        if (r.grey.empty()) {
            EXPECT_EQ(s.grey[0], 0) << r.what;
            EXPECT_EQ(s.grey[699], 204) << r.what;
        } else {
            EXPECT_EQ(s.grey, r.grey) << r.what;
        }
        if (!r.autoRange) {
            EXPECT_EQ(s.high, r.high) << r.what << ": manual limits are not written";
            EXPECT_EQ(s.low, r.low) << r.what;
        }
    }
}

TEST(Y16MappingAD, RefusedInputsWriteNothing) {
    const std::vector<int16_t> frame(800, 10);
    struct Row {
        const char* what;
        const int16_t* src;
        bool nullDst, nullHigh, nullLow;
        int32_t width, height, autoRange;
        int16_t high, low;
    };
    const Row rows[] = {
        {"empty window: max = min - 1", frame.data(), false, false, false, 800, 1, 0, 9, 10},
        {"reversed window", frame.data(), false, false, false, 800, 1, 0, -500, 10},
        {"null source", nullptr, false, false, false, 800, 1, 1, 0, 0},
        {"null image", frame.data(), true, false, false, 800, 1, 1, 0, 0},
        {"null max", frame.data(), false, true, false, 800, 1, 1, 0, 0},
        {"null min", frame.data(), false, false, true, 800, 1, 1, 0, 0},
        {"zero width", frame.data(), false, false, false, 0, 1, 1, 0, 0},
        {"negative sizes", frame.data(), false, false, false, -800, -1, 1, 0, 0},
    };
    for (const Row& r : rows) {
        GuardedBuffer<uint8_t> dst(frame.size(), kSentinel);
        int16_t high = r.high, low = r.low;
        Y16MappingAD_dll(r.src, r.nullDst ? nullptr : dst.data(), 255, 100, r.width, r.height,
                         r.nullHigh ? nullptr : &high, r.nullLow ? nullptr : &low, r.autoRange);
        EXPECT_EQ(dst.contents(), std::vector<uint8_t>(frame.size(), kSentinel)) << r.what;
        EXPECT_TRUE(dst.canariesIntact()) << r.what;
        EXPECT_EQ(high, r.high) << r.what;
        EXPECT_EQ(low, r.low) << r.what;
    }
}

// Gains far beyond the usual ones stay defined: a huge negative contrast inverts the image.
TEST(Y16MappingAD, ExtremeContrastsStayDefined) {
    const std::vector<int16_t> frame = {-32768, -1, 0, 1, 32767, 100, 200};
    for (const int32_t contrast : {INT32_MIN, -3000000, -100000, 0, 100000, INT32_MAX}) {
        for (const int32_t brightness : {INT32_MIN, -100, 100, INT32_MAX}) {
            stretch(frame, contrast, brightness, true);
            stretch(frame, contrast, brightness, false, 200, -1);
        }
    }
    const Stretch inverted = stretch({0, 100, 200}, -255, 100, false, 200, 0);
    EXPECT_GT(inverted.grey[0], inverted.grey[2]);
}

}  // namespace
}  // namespace kmm
