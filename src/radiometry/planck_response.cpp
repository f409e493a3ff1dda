// The Planck-type response and its inverse, in double. exp(B / T) - F and ln(R1 / (R2 L) + F)
// lose digits to cancellation only far above any 16-bit count's temperature (B / T near 0),
// and still keep more than a float result needs.
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
    const double denominator = std::exp(p.b / kelvin) - p.f;
    if (!(denominator > 0.0)) return std::numeric_limits<double>::infinity();
    return p.r1 / (p.r2 * denominator);
}

double planckKelvin(const kmm_planck_constants& p, double radiance) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    if (!(radiance > 0.0)) return radiance != radiance ? radiance : -kInfinity;
    // ln(R1 / (R2 L) + F) must be positive for a positive, finite temperature.
    const double argument = p.r1 / (p.r2 * radiance) + p.f;
    if (!(argument > 1.0)) return kInfinity;
    return p.b / std::log(argument);
}

}  // namespace kmm
