// A frame whose pointer and size were checked once, at the C boundary: the exports build one
// and hand it inward, and the code behind them relies on it instead of checking again.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>

namespace kmm {

template <class T>
struct FrameView {
    T* pixels;
    int32_t width, height;  // both >= 1, and width x height fits 32 bits

    int32_t count() const { return width * height; }
};

// The view of width x height values at pixels; none when pixels is null, either side is not
// positive or the pixel count does not fit 32 bits.
template <class T>
std::optional<FrameView<T>> checkedFrame(T* pixels, int32_t width, int32_t height) {
    if (pixels == nullptr || width <= 0 || height <= 0) return std::nullopt;
    if (int64_t(width) * height > std::numeric_limits<int32_t>::max()) return std::nullopt;
    return FrameView<T>{pixels, width, height};
}

}  // namespace kmm
