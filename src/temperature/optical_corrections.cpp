// Emissivity (fitted polynomial or signal-table blend) and transmission corrections of the
// calibration-curve path, in both directions.
#include "temperature/optical_corrections.h"

#include <cmath>

#include "temperature/signal_tables.h"

namespace kmm {
namespace {

bool emissivityApplies(const MeasureState& state, const ParaConfig& config) {
    return double(config.emissivity) <= 0.98 && state.emissivityEnable != 0;
}

bool transmissionApplies(const MeasureState& state, const ParaConfig& config) {
    return config.transmission > 0.5f && config.transmission < 1.0f &&
           state.transmissionEnable != 0;
}

// Near a black body the reflected radiation is accounted for separately: ((1 - e) / e) x
// the reflected temperature, in float.
bool reflectedTermApplies(const ParaConfig& config) { return double(config.emissivity) >= 0.9; }
float reflectedTerm(const ParaConfig& config) {
    return ((1.0f - config.emissivity) / config.emissivity) * config.reflectedTemp;
}

// Apparent T -> object T' = linear*T + quadratic*T^2 + constant, a fit in the emissivity e.
struct EmissivityPolynomial {
    double linear, quadratic, constant;
    explicit EmissivityPolynomial(double e)
        : linear(1.744737 - 0.750542 * e),
          quadratic(0.0001988507 * e - 0.0001762534),
          constant(4.750041 - 4.247635 * e) {}
};

}  // namespace

float correctForOptics(float t, const MeasureState& state, const ParaConfig& config,
                       int32_t curveType) {
    if (emissivityApplies(state, config)) {
        if (curveType == 2) {
            const SignalTable& wide = wideSignalTable();
            const uint32_t ref = tempToSignalIndex(wide, toReferenceTenths(config.reflectedTemp));
            const int32_t tenths = objectFromApparent(wide, toTableTenths(t), ref,
                                                      toEmissivityPercent(config.emissivity));
            t = float(tenths) * 0.1f;
        } else {
            const EmissivityPolynomial p(config.emissivity);
            const double x = t;
            t = float(p.linear * x + p.quadratic * (x * x) + p.constant);
            if (reflectedTermApplies(config)) t = t - reflectedTerm(config);
        }
    }
    if (transmissionApplies(state, config)) t = t / config.transmission;
    return t;
}

float apparentForOptics(float t, const MeasureState& state, const ParaConfig& config) {
    if (transmissionApplies(state, config)) t = t * config.transmission;
    if (!emissivityApplies(state, config)) return t;
    const EmissivityPolynomial p(config.emissivity);
    const double u = reflectedTermApplies(config) ? double(t) + double(reflectedTerm(config))
                                                  : double(t);
    // The root of quadratic*T^2 + linear*T + (constant - u) = 0 that the forward fit meets;
    // b = -linear exactly, as IEEE negation and subtraction are symmetric.
    const double a = p.quadratic;
    const double b = -p.linear;
    const double q = p.constant - u;
    return float((std::sqrt(b * b - q * (4.0 * a)) + b) / (2.0 * a));
}

}  // namespace kmm
