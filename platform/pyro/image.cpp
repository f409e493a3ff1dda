// The stand-in's pictures: the grey image of PYRO_DimmingType + PYRO_ISP_Y8 and the fire DRC's
// colour image.
//   Dimming type 2: a percentile stretch, the 1st to the 99th percentile of the frame onto
//   0..greyMax (image selector 3). Type 3: the given Y16 window, low onto 0 and high onto
//   greyMax, straight between; a window given upside down (high below low) draws a negative,
//   and a window of one value splits the frame at it.
//   Fire DRC: 3 bytes a pixel, R G B. Each sample, read as signed 16-bit, is placed between the
//   low and high ends and coloured black, red, orange, yellow, white along a fire palette; the
//   parameter set's second value (108 in every preset) is the palette's gamma in hundredths.
#include <algorithm>
#include <cmath>
#include <vector>

#include "standin.h"

using pyro_test::Call;
using namespace pyro_standin;

namespace {

uint8_t greyOf(double share, int32_t greyMax) {
    const double g = std::clamp(share, 0.0, 1.0) * std::clamp(greyMax, 0, 255);
    return uint8_t(std::lround(g));
}

// Low and high ends of the stretch: the 1st and 99th percentiles of the samples.
std::pair<uint16_t, uint16_t> percentiles(const uint16_t* frame, int64_t count) {
    std::vector<uint16_t> sorted(frame, frame + count);
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double p) { return sorted[size_t(std::llround(p * double(count - 1)))]; };
    return {at(0.01), at(0.99)};
}

void drawGrey(const PyroInstance& in, const uint16_t* frame, int64_t count, uint8_t* grey) {
    double low = in.dimming.low, high = in.dimming.high;
    if (in.dimmingType == 2) {
        const auto [p1, p99] = percentiles(frame, count);
        low = p1;
        high = p99;
    }
    for (int64_t i = 0; i < count; ++i) {
        const double y = frame[i];
        const double share = high == low ? (y >= low ? 1.0 : 0.0) : (y - low) / (high - low);
        grey[i] = greyOf(share, in.greyMax);
    }
}

// Black, dark red, red, orange, yellow, white at evenly spaced stops.
void firePalette(double t, uint8_t* rgb) {
    static const uint8_t stops[6][3] = {{0, 0, 0},     {96, 0, 0},    {200, 16, 0},
                                        {255, 120, 0}, {255, 220, 40}, {255, 255, 255}};
    const double x = std::clamp(t, 0.0, 1.0) * 5.0;
    const int s = std::min(int(x), 4);
    const double f = x - s;
    for (int c = 0; c < 3; ++c)
        rgb[c] = uint8_t(std::lround(stops[s][c] + (stops[s + 1][c] - stops[s][c]) * f));
}

}  // namespace

extern "C" {

int32_t PYRO_DimmingType(PyroHandle h, int32_t type, const PYRO_DIMMING_RANGE* range) {
    const LibraryCall scope = enter("PYRO_DimmingType");
    const bool valid = isLive(h) && range != nullptr && (type == 2 || type == 3);
    Call call{.function = "PYRO_DimmingType", .values = {double(type)}, .handle = h};
    if (range != nullptr) call.values.insert(call.values.end(), {double(range->high), double(range->low)});
    call.result = !valid ? -1 : faults().dimmingResult;
    if (call.result == 0) {
        h->dimmingType = type;
        h->dimming = *range;
    }
    record(call);
    return int32_t(call.result);
}

int32_t PYRO_ISP_Y8(PyroHandle h, uint16_t* frame, int32_t byteLength, PYRO_ISP_RESULT* result,
                    uint8_t* grey, int32_t count) {
    const LibraryCall scope = enter("PYRO_ISP_Y8");
    const int64_t samples = std::min<int64_t>(byteLength / 2, count);
    const bool valid = isLive(h) && frame != nullptr && grey != nullptr && samples > 0 &&
                       h->dimmingType != 0;
    if (valid) {
        drawGrey(*h, frame, samples, grey);
        if (result != nullptr) *result = {};
    }
    record({.function = "PYRO_ISP_Y8", .values = {double(byteLength), double(count)},
            .handle = h, .result = valid ? 0 : -1,
            .samples = journaling() && frame != nullptr && byteLength > 1
                           ? std::vector<uint16_t>(frame, frame + byteLength / 2)
                           : std::vector<uint16_t>{}});
    return valid ? 0 : -1;
}

int32_t PYRO_DrcFireAdaptive2DifferentMode(PyroDrcHandle drc, const uint16_t* source,
                                           uint8_t* destination, int32_t width, int32_t height,
                                           int32_t high, int32_t low, int32_t mode,
                                           uint32_t option, PYRO_DRC_EXTRA extra) {
    const LibraryCall scope = enter("PYRO_DrcFireAdaptive2DifferentMode");
    const int64_t pixels = int64_t(width) * height;
    const bool valid = drc != nullptr && source != nullptr && destination != nullptr &&
                       width > 0 && height > 0 && high != low;
    if (valid) {
        const double gamma = drc->params.values[1] > 0 ? drc->params.values[1] / 100.0 : 1.0;
        for (int64_t i = 0; i < pixels; ++i) {
            const double t = (double(int16_t(source[i])) - low) / (double(high) - low);
            firePalette(std::pow(std::clamp(t, 0.0, 1.0), gamma), destination + 3 * i);
        }
    }
    Call call{.function = "PYRO_DrcFireAdaptive2DifferentMode",
              .values = {double(width), double(height), double(high), double(low), double(mode),
                         double(option)},
              .address = source, .handle = drc, .result = valid ? 0 : -1};
    for (uint16_t v : extra.values) call.values.push_back(v);
    record(call);
    return int32_t(call.result);
}

}  // extern "C"
