// Distance models of the temperature correction. Square roots: a float power of 0.5 in the
// short-range model, a double sqrt in the record model, each as the model was calibrated.
#include "temperature/distance_models.h"

#include <cmath>

namespace kmm {
namespace {

struct Quadratic {
    float p2, p1, p0;
};

Quadratic shortRangeCoefficients(float d, int set) {
    if (set == 0)
        return {6.193768e-05f - 2.3364457e-05f * d, 0.94785833f + 0.030619258f * d,
                0.77527165f - 0.4832527f * d};
    return {-4.6970283e-05f + 2.3225373e-05f * d, 0.96914107f + 0.022720976f * d,
            -0.46497512f - 0.034558285f * d};
}

// 273.5 rather than 273.15: the offset the record coefficients were fitted with.
constexpr float kRecordScaleOffset = 273.5f;

}  // namespace

float applyShortRangeDistance(float x, float distance, int set) {
    if (distance == 1.5f) return x;
    const Quadratic c = shortRangeCoefficients(distance, set);
    return c.p2 * x * x + c.p1 * x + c.p0;
}

float removeShortRangeDistance(float y, float distance, int set) {
    if (distance == 1.5f) return y;
    const Quadratic c = shortRangeCoefficients(distance, set);
    if (c.p2 == 0.0f) return c.p1 == 0.0f ? y : (y - c.p0) / c.p1;
    const float discriminant = 4.0f * c.p2 * y + c.p1 * c.p1 - 4.0f * c.p2 * c.p0;
    return (std::pow(discriminant, 0.5f) - c.p1) / c.p2 * 0.5f;
}

RecordDistanceModel::RecordDistanceModel(const DeviceCorrectionParam& r)
    : quadPerDist_(r.distQuadPerDist / 1e9),
      quad_(r.distQuad / 1e9),
      linPerDist_(r.distLinPerDist / 1e6),
      lin_(r.distLin / 1e6),
      constPerDist_(r.distConstPerDist / 1000.0),
      const_(r.distConst / 1000.0) {}

RecordDistanceModel::Quadratic RecordDistanceModel::at(float distance) const {
    const double d = distance;
    return {quadPerDist_ * d + quad_, linPerDist_ * d + lin_, constPerDist_ * d + const_};
}

float RecordDistanceModel::apply(float t, float distance) const {
    const Quadratic c = at(distance);
    if (c.l == 0.0 && c.q == 0.0) return t;
    const double x = double(t + kRecordScaleOffset);
    const float y = float(c.q * x * x + c.l * x + c.k);
    return float(double(y) / 10.0 - double(kRecordScaleOffset));
}

float RecordDistanceModel::remove(float t, float distance) const {
    if (!(distance > 0.0f)) return t;
    const Quadratic c = at(distance);
    const float y = (t + kRecordScaleOffset) * 10.0f;
    if (c.q == 0.0) {
        if (c.l == 0.0) return t;
        return float((double(y) - c.k) / c.l - double(kRecordScaleOffset));
    }
    const float x = float((std::sqrt(4.0 * c.q * y + c.l * c.l - 4.0 * c.q * c.k) - c.l) / c.q * 0.5);
    return float(double(x) - double(kRecordScaleOffset));
}

}  // namespace kmm
