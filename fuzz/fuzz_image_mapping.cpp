// imageMapping_dll on every model and family at any size, with temperatures that may be NaN,
// infinite or huge, tunings and windows of any float.
#include <cstring>

#include "fuzz_input.h"

using namespace kmm::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input in(data, size);
    const auto p = in.take<ImageMappingInput>();
    const ModelName model(p.model);
    const int32_t w = side(p.width, 96), h = side(p.height, 96);
    const size_t n = pixels(w, h);
    std::vector<float> temperatures;
    if (p.rawFloats & 1) {
        temperatures = in.values<float>(n);
    } else {
        for (int16_t sample : in.values<int16_t>(n))
            temperatures.push_back(float(sample) * p.scale + p.offset);
    }
    std::vector<uint8_t> image(temperatures.size(), 0xA5);
    float maxTemp = p.maxTemp, minTemp = p.minTemp;
    imageMapping_dll(model.get(), p.tuning, temperatures.data(), image.data(), w, h, &maxTemp,
                     &minTemp, p.autoRange & 1);
    if (n == 0) {
        check(image == std::vector<uint8_t>(1, 0xA5));
        check(std::memcmp(&maxTemp, &p.maxTemp, sizeof maxTemp) == 0);
    }
    return 0;
}
