// The radiance-space path from object to sensor: the object's emission and its reflection
// of the surroundings, attenuated by the air, which adds its own emission; then the window,
// which does the same at its temperature.
#include "raw_response.h"

#include <algorithm>
#include <cmath>

#include "atmospheric_transmission.h"
#include "planck_response.h"

namespace kmm {
namespace {

bool aboveAbsoluteZero(double celsius) {
    return std::isfinite(celsius) && celsius > -kKelvinOffset;
}

bool sceneValid(const kmm_radiometric_scene& s) {
    const bool modelFinite = std::isfinite(s.atm_x) && std::isfinite(s.atm_alpha1) &&
                             std::isfinite(s.atm_alpha2) && std::isfinite(s.atm_beta1) &&
                             std::isfinite(s.atm_beta2);
    return modelFinite && s.emissivity > 0.0 && s.emissivity <= 1.0 &&
           aboveAbsoluteZero(s.reflected_celsius) && aboveAbsoluteZero(s.atmosphere_celsius) &&
           aboveAbsoluteZero(s.window_celsius) && std::isfinite(s.distance_m) &&
           s.distance_m >= 0.0 && s.humidity_percent >= 0.0 && s.humidity_percent <= 100.0 &&
           s.window_transmission > 0.0 && s.window_transmission <= 1.0;
}

}  // namespace

kmm_status makeRawResponse(const kmm_planck_constants& planck,
                           const kmm_radiometric_scene& scene, RawResponse& response) {
    if (!planckConstantsValid(planck) || !sceneValid(scene)) return KMM_ERROR_BAD_VALUE;
    const double air = std::min(atmosphericTransmission(scene), 1.0);
    if (!(air > 0.0)) return KMM_ERROR_BAD_VALUE;
    auto radiance = [&](double celsius) { return planckRadiance(planck, celsius + kKelvinOffset); };
    const double e = scene.emissivity, w = scene.window_transmission;
    const double reachingWindow = air * (1.0 - e) * radiance(scene.reflected_celsius) +
                                  (1.0 - air) * radiance(scene.atmosphere_celsius);
    const double background = w * reachingWindow + (1.0 - w) * radiance(scene.window_celsius);
    // A background past the response's pole (F > 1 and a hot surrounding) leaves no signal.
    if (!std::isfinite(background)) return KMM_ERROR_BAD_VALUE;
    response = {planck, w * air * e, background};
    return KMM_OK;
}

double objectKelvin(const RawResponse& r, double raw) {
    const double object = (raw + r.planck.o - r.background) / r.objectGain;
    return planckKelvin(r.planck, object);
}

double objectCelsius(const RawResponse& r, double raw) {
    const double kelvin = objectKelvin(r, raw);
    return std::isfinite(kelvin) ? kelvin - kKelvinOffset : NAN;
}

double rawOfCelsius(const RawResponse& r, double celsius) {
    const double object = planckRadiance(r.planck, celsius + kKelvinOffset);
    return r.objectGain * object + r.background - r.planck.o;
}

}  // namespace kmm
