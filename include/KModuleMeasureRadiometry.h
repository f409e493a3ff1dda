/*
 * KModuleMeasure radiometry: raw 16-bit counts to temperatures and back from the Planck
 * constants a thermal camera publishes, with the object, atmosphere and window corrections
 * applied in radiance space. Usable from C11 and C++.
 *
 * The camera's response: raw = R1 / (R2 (exp(B / T) - F)) - O, T in kelvin. Write
 * L(T) = R1 / (R2 (exp(B / T) - F)) for the radiance of a black body in raw units; what the
 * sensor sees is
 *
 *   raw + O = w [ a (e L(T) + (1 - e) L(Trefl)) + (1 - a) L(Tatm) ] + (1 - w) L(Twin)
 *
 * with e the emissivity, a the atmosphere's transmission over the object distance, w the
 * window's transmission (external optics next to the camera, reflecting nothing). Solving
 * for L(T) and inverting L gives the object's temperature.
 *
 * Every function returns a kmm_status; on anything other than KMM_OK nothing was written.
 * None keeps state; all may run on any number of threads at once.
 */
#ifndef KMODULEMEASURE_RADIOMETRY_H
#define KMODULEMEASURE_RADIOMETRY_H

#include <stdint.h>

#include "KModuleMeasureStatus.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The camera's Planck constants, as its radiometric metadata lists them. A record is refused
 * (KMM_ERROR_BAD_VALUE) unless every field is finite and r1, r2 and b are positive. */
typedef struct kmm_planck_constants {
    double r1; /* raw counts                                               */
    double r2; /* 1 / raw counts; 1 when the camera publishes one R only   */
    double b;  /* kelvin                                                   */
    double f;  /* usually 1                                                */
    double o;  /* raw counts, subtracted: O = -228 adds 228 counts         */
} kmm_planck_constants;

/* What lies between the object and the sensor. Temperatures in degC, all finite and above
 * absolute zero; other ranges as given. A record outside them is refused (KMM_ERROR_BAD_VALUE).
 *
 * The atmosphere's transmission over distance d (metres) is the widely published two-band
 * model:  h = humidity / 100 * exp(1.5587 + 0.06939 t - 0.00027816 t^2 + 0.00000068455 t^3)
 * (water vapour, t the atmosphere in degC),
 *   a = x exp(-sqrt(d) (alpha1 + beta1 sqrt(h))) + (1 - x) exp(-sqrt(d) (alpha2 + beta2 sqrt(h))),
 * capped at 1. Very humid air over kilometres takes it to 0 or below, where the model no
 * longer holds: such a scene is refused. */
typedef struct kmm_radiometric_scene {
    double emissivity;          /* of the object, (0, 1]                              */
    double reflected_celsius;   /* apparent temperature of what the object reflects   */
    double atmosphere_celsius;  /* of the air along the path                          */
    double distance_m;          /* object distance, >= 0                              */
    double humidity_percent;    /* relative humidity of the air, [0, 100]             */
    double window_celsius;      /* external optics or window in front of the lens     */
    double window_transmission; /* (0, 1]; 1 = no window                              */
    double atm_x;               /* the two-band model's constants, finite             */
    double atm_alpha1;
    double atm_alpha2;
    double atm_beta1;
    double atm_beta2;
} kmm_radiometric_scene;

/* Fills *scene with a black body seen through nothing: emissivity 1, distance 0, reflected,
 * atmosphere and window temperatures 20 degC, humidity 50 %, window transmission 1, and the
 * two-band model's published constants x 1.9, alpha1 0.006569, alpha2 0.01262,
 * beta1 -0.002276, beta2 -0.00667. Null scene: KMM_ERROR_NULL_ARGUMENT. */
KMM_API kmm_status kmm_radiometric_scene_defaults(kmm_radiometric_scene* scene);

/* Temperatures (degC, float) of a frame of raw counts, width x height, row-major.
 * A raw value whose corrected radiance has no real temperature (at or below the radiance of
 * absolute zero, as a raw value under the reflected and atmospheric background at low
 * emissivity is, or beyond the response's pole when F < 1) gives NaN.
 * Null pointer: KMM_ERROR_NULL_ARGUMENT; width or height <= 0 or more than 2^31 - 1 pixels:
 * KMM_ERROR_BAD_SIZE; a record refused as above: KMM_ERROR_BAD_VALUE. */
KMM_API kmm_status kmm_raw_frame_to_temperatures(const kmm_planck_constants* planck,
                                                 const kmm_radiometric_scene* scene,
                                                 const uint16_t* raw, int32_t width,
                                                 int32_t height, float* celsius);

/* Raw counts of a temperature matrix (degC), width x height: each temperature's raw value
 * rounded to the nearest count and saturated to 0..65535; NaN gives 0, -inf (and any
 * temperature at or below absolute zero) the raw value of the background alone, +inf 65535.
 * Every count kmm_raw_frame_to_temperatures gives a finite temperature comes back unchanged
 * (where F > 1 crowds counts against the response's pole closer than float resolves,
 * neighbours may merge). Refusals as there. */
KMM_API kmm_status kmm_temperatures_to_raw_frame(const kmm_planck_constants* planck,
                                                 const kmm_radiometric_scene* scene,
                                                 const float* celsius, int32_t width,
                                                 int32_t height, uint16_t* raw);

/* The temperature (degC) of one raw value, not rounded to a count (a region's mean raw value,
 * say); NaN where the frame form gives NaN. Non-finite raw: KMM_ERROR_BAD_VALUE; other
 * refusals as for frames. */
KMM_API kmm_status kmm_raw_to_temperature(const kmm_planck_constants* planck,
                                          const kmm_radiometric_scene* scene, double raw,
                                          double* celsius);

/* The raw value of one temperature (degC), neither rounded nor saturated: it may lie outside
 * 0..65535 (+inf beyond the response's pole when F > 1). Non-finite temperature:
 * KMM_ERROR_BAD_VALUE; other refusals as for frames. */
KMM_API kmm_status kmm_temperature_to_raw(const kmm_planck_constants* planck,
                                          const kmm_radiometric_scene* scene, double celsius,
                                          double* raw);

#ifdef __cplusplus
}
#endif

#endif /* KMODULEMEASURE_RADIOMETRY_H */
