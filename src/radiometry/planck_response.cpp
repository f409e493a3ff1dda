// The Planck-type response and its inverse. expm1 and log1p keep the digits that
// exp(B / T) - 1 and ln(1 + x) lose when F = 1 and the temperature is high.
#include "planck_response.h"

#include <cmath>
#include <limits>

namespace kmm {

bool planckConstantsValid(const kmm_planck_constants& p) {
    return std::isfinite(p.r1) && std::isfinite(p.r2) && std::isfinite(p.b) &&
           std::isfinite(p.f) && std::isfinite(p.o) && p.r1 > 0.0 && p.r2 > 0.0 && p.b > 0.0;
}

double planckRadiance(const kmm_planck_constants& p, double kelvin) {
    if (!(kelvin > 0.0)) return 0.0;
    const double denominator = std::expm1(p.b / kelvin) - (p.f - 1.0);
    if (!(denominator > 0.0)) return std::numeric_limits<double>::infinity();
    return p.r1 / (p.r2 * denominator);
}

double planckKelvin(const kmm_planck_constants& p, double radiance) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (!(radiance > 0.0)) return radiance != radiance ? radiance : -kInfinity;
    // ln(R1 / (R2 L) + F) must be positive for a positive, finite temperature.
    const double excess = p.r1 / (p.r2 * radiance) + (p.f - 1.0);
    if (!(excess > 0.0)) return kInfinity;
    return p.b / std::log1p(excess);
}

}  // namespace kmm
