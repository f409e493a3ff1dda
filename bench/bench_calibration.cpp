// Calibration-curve exports on the synthetic Planck-type block (4 x 1701 entries): one call per
// iteration, cycling through raw values or temperatures across the whole curve, so the linear
// position search runs its average length.
#include <benchmark/benchmark.h>

#include "KModuleMeasure.h"
#include "calibration_curves.h"

namespace {

struct Setup {
    kmm::scenes::CalibrationCurves curves = kmm::scenes::syntheticCalibrationCurves();
    MeasureState state{};
    ParaConfig config{};
    Setup() {
        state.gain0 = state.gain1 = 1.0f;
        state.curveRefTemp = state.curveRefTempAlt = 25.0f;
        state.twoAxisMode = 1;
        state.segmentIndex = 1;
        state.segmentKey = 15.0f;
        state.settingKey = 1.0f;
        state.emissivityEnable = 1;
        const float breakpoints[2] = {10.0f, 20.0f};
        SetParaConfig_dll(&config, breakpoints, 2, 4.0f, 0.0f, curves.startTemp, 0.0f, 0.95f,
                          20.0f, 1.0f, 0);
    }
};

void highTemperature(benchmark::State& st) {
    const Setup s;
    const int32_t type = int32_t(st.range(0));
    int32_t y = -1500;
    for (auto _ : st) {
        const float t = GetHighTemperature_dll(uint16_t(y), s.curves.block.data(), s.curves.length,
                                               nullptr, TempCalcInfo{}, s.state, s.config, type);
        benchmark::DoNotOptimize(t);
        y = y >= 12000 ? -1500 : y + 97;
    }
}
BENCHMARK(highTemperature)->Arg(0)->Arg(2);

void reverseY16(benchmark::State& st) {
    const Setup s;
    float t = -15.0f;
    for (auto _ : st) {
        const int32_t y = ReverseCalculationLsb_dll(t, s.curves.block.data(), s.curves.length,
                                                    true, 0, s.state, s.config, 0);
        benchmark::DoNotOptimize(y);
        t = t >= 145.0f ? -15.0f : t + 1.7f;
    }
}
BENCHMARK(reverseY16);

}  // namespace
