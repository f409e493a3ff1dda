// image_resize_dll on any source size and factor, into exactly the room the result needs.
#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<ResizeInput>();
    const int32_t w = side(p.srcWidth, 64), h = side(p.srcHeight, 64);
    const int32_t factor = p.factor % 9;  // -8 .. 8
    const auto src = in.values<int16_t>(pixels(w, h));
    const size_t out = factor > 0 ? pixels(w, h) * size_t(factor) * size_t(factor) : 0;
    std::vector<int16_t> dst(out > 0 ? out : 1, int16_t(0x5A5A));
    image_resize_dll(dst.data(), src.data(), h, w, factor);
    if (w < 2 || h < 2 || factor < 1) check(dst == std::vector<int16_t>(dst.size(), 0x5A5A));
    return 0;
}
