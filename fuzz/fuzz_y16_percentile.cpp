// Y16MappingAD_dll at any size, contrast and brightness, with automatic or given limits: it
// stays inside its buffers, and a refused size or an empty window writes nothing.
#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<PercentileInput>();
    const int32_t w = side(p.width, 128), h = side(p.height, 128);
    const size_t n = pixels(w, h);
    const auto src = in.values<int16_t>(n);
    std::vector<uint8_t> dst(src.size(), 0xA5);
    int16_t maxY16 = p.maxY16, minY16 = p.minY16;
    const int32_t autoRange = p.autoRange % 3;  // 0, or non-zero of either sign
    Y16MappingAD_dll(src.data(), dst.data(), p.contrast, p.brightness, w, h, &maxY16, &minY16,
                     autoRange);
    const bool written = dst != std::vector<uint8_t>(dst.size(), 0xA5);
    if (n == 0 || (autoRange == 0 && p.maxY16 < p.minY16)) check(!written);
    return 0;
}
