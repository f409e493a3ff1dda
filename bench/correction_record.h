// The device record both temperature-correction benchmarks use: no scaling, compensation
// against 23 degC, and a distance model that changes the temperature.
#pragma once

#include "KModuleMeasure.h"

inline DeviceCorrectionParam benchCorrectionRecord() {
    DeviceCorrectionParam record{};
    record.scaleSetting = 60;
    record.emissivity = 0.95f;
    record.reflectedTemp = 23.0f;
    record.compMode = 1;
    record.compTemp = 25.0f;
    record.distLin = 10000000;
    record.distLinPerDist = 20000;
    return record;
}
