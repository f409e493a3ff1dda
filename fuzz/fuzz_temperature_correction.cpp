// getNewTemperature_dll on any model name, floats (NaN, infinities, huge values) and device
// record: a computed result is finite; the paths that hand the temperature back return it as
// it came.
#include <cmath>
#include <cstring>

#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<CorrectionInput>();
    const ModelName model(p.model);
    float result = 0.0f;
    getNewTemperature_dll(model.get(), &result, p.temperature, p.oldEmissivity, p.newEmissivity,
                          p.oldDistance, p.newDistance, p.oldReflected, p.newReflected,
                          (p.nullRecord & 1) ? nullptr : &p.record);
    check(std::isfinite(result) || std::memcmp(&result, &p.temperature, sizeof result) == 0);
    return 0;
}
