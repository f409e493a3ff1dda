// The two distance models of the temperature correction: the fixed quadratic of the
// short-range models (two coefficient sets, float) and the device record's quadratic on a
// Kelvin-like scale (double).
#pragma once

#include "KModuleMeasure.h"

namespace kmm {

// Short-range model, coefficient set 0 or 1; both directions are neutral at distance 1.5.
float applyShortRangeDistance(float celsius, float distance, int coefficientSet);
float removeShortRangeDistance(float celsius, float distance, int coefficientSet);

// Device record model: a quadratic whose coefficients grow linearly with the distance. The
// record's six integers are scaled once, so one correction pays the divisions once.
class RecordDistanceModel {
public:
    explicit RecordDistanceModel(const DeviceCorrectionParam& record);
    float apply(float celsius, float distance) const;
    // Skipped for distances of 0 or below.
    float remove(float celsius, float distance) const;

private:
    struct Quadratic {
        double q, l, k;
    };
    Quadratic at(float distance) const;
    double quadPerDist_, quad_, linPerDist_, lin_, constPerDist_, const_;
};

}  // namespace kmm
