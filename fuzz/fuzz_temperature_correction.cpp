// Fuzzes getNewTemperature_dll with arbitrary floats and device records on every path.
#include "KModuleMeasure.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kmm::fuzz::Input in(data, size);
    static const char* const models[] = {"DV01", "DV19", "DV35", "unknown"};
    const char* model = models[in.take<uint8_t>() % 4];
    float args[7];
    for (float& a : args) a = in.take<float>();
    const DeviceCorrectionParam record = in.take<DeviceCorrectionParam>();
    float result = 0.0f;
    getNewTemperature_dll(model, &result, args[0], args[1], args[2], args[3], args[4], args[5],
                          args[6], &record);
    return 0;
}
