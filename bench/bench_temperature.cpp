// Temperature correction: one call per iteration, both paths.
#include <benchmark/benchmark.h>

#include "KModuleMeasure.h"
#include "correction_record.h"

namespace {

void correctionCall(benchmark::State& state, const char* model) {
    const DeviceCorrectionParam record = benchCorrectionRecord();
    float result = 0.0f;
    for (auto _ : state) {
        getNewTemperature_dll(model, &result, 36.5f, 0.95f, 0.8f, 1.5f, 5.0f, 23.0f, 30.0f, &record);
        benchmark::DoNotOptimize(result);
    }
}

BENCHMARK_CAPTURE(correctionCall, short_range, "DV01");
BENCHMARK_CAPTURE(correctionCall, full_range, "DV19");

}  // namespace
