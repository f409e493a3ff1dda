// What one camera reads for an object in one scene: raw + O = gain L(T) + background, the
// scene's emissivity, reflection, atmosphere and window folded into two numbers.
#pragma once

#include "KModuleMeasureRadiometry.h"

namespace kmm {

struct RawResponse {
    kmm_planck_constants planck;
    double objectGain;  // share of the object's own radiance reaching the sensor, (0, 1]
    double background;  // radiance of everything else, raw units
};

// KMM_OK and *response filled, or KMM_ERROR_BAD_VALUE for a record outside its documented
// ranges (or a scene whose path transmits nothing).
kmm_status makeRawResponse(const kmm_planck_constants& planck,
                           const kmm_radiometric_scene& scene, RawResponse& response);

// The object's kelvin for a raw value: -inf where its corrected radiance is at or below 0,
// +inf beyond every finite temperature (see planckKelvin).
double objectKelvin(const RawResponse& response, double raw);

// The object's temperature in degC for a raw value; NaN where it has none.
double objectCelsius(const RawResponse& response, double raw);

// The raw value the sensor gives for an object at `celsius`, unrounded.
double rawOfCelsius(const RawResponse& response, double celsius);

}  // namespace kmm
