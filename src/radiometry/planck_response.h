// The camera's Planck-type response in raw units, L(T) = R1 / (R2 (exp(B / T) - F)), and its
// inverse; the offset O is the caller's business.
#pragma once

#include "KModuleMeasureRadiometry.h"

namespace kmm {

inline constexpr double kKelvinOffset = 273.15;

// Every constant finite, R1, R2 and B positive.
bool planckConstantsValid(const kmm_planck_constants& planck);

// Radiance of a black body at `kelvin`: 0 at or below absolute zero, +inf at or past the
// response's pole (F > 1, T >= B / ln F).
double planckRadiance(const kmm_planck_constants& planck, double kelvin);

// Kelvin of a radiance: -inf for a radiance at or below 0 (colder than absolute zero), +inf
// for one no finite temperature reaches (F < 1).
double planckKelvin(const kmm_planck_constants& planck, double radiance);

}  // namespace kmm
