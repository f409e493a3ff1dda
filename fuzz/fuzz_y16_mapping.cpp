// Y16Mapping_dll on every model (manual window and automatic gain control) at any size, with
// limits that may be null: it stays inside its buffers, and a refused call writes nothing.
#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<Y16MapInput>();
    const ModelName model(p.model);
    const int32_t w = side(p.width, 128), h = side(p.height, 128);
    const size_t n = pixels(w, h);
    const auto src = in.values<int16_t>(n);
    std::vector<uint8_t> dst(src.size(), 0xA5);
    const bool nullLimits = p.nullLimits & 1;
    Y16Mapping_dll(model.get(), src.data(), dst.data(), w, h, nullLimits ? nullptr : &p.maxY16,
                   nullLimits ? nullptr : &p.minY16, p.autoRange & 1);
    if (n == 0 || (nullLimits && !(p.autoRange & 1)))
        check(dst == std::vector<uint8_t>(dst.size(), 0xA5));
    return 0;
}
