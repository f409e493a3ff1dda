// The two-band atmospheric transmission model: water vapour content from relative humidity
// and air temperature (a cubic fit of saturation vapour in the exponent), then two
// exponential bands in the square root of distance, weighted x and 1 - x.
#include "atmospheric_transmission.h"

#include <cmath>

namespace kmm {

double atmosphericTransmission(const kmm_radiometric_scene& s) {
    const double t = s.atmosphere_celsius;
    const double vapour = s.humidity_percent / 100.0 *
                          std::exp(1.5587 + 0.06939 * t - 0.00027816 * t * t +
                                   0.00000068455 * t * t * t);
    const double root = std::sqrt(s.distance_m);
    const double wet = std::sqrt(vapour);
    return s.atm_x * std::exp(-root * (s.atm_alpha1 + s.atm_beta1 * wet)) +
           (1.0 - s.atm_x) * std::exp(-root * (s.atm_alpha2 + s.atm_beta2 * wet));
}

}  // namespace kmm
