// The radiometry exports: arguments checked up front, then one call into the conversions.
#include <cmath>

#include "KModuleMeasureRadiometry.h"
#include "common/export_guard.h"
#include "common/frame_view.h"
#include "raw_to_temperature.h"
#include "temperature_to_raw.h"

namespace {

// A frame conversion: pointers, size and records checked, then `convert` over the pixels.
template <class In, class Out, class Convert>
kmm_status convertFrame(const kmm_planck_constants* planck, const kmm_radiometric_scene* scene,
                        const In* in, int32_t width, int32_t height, Out* out, Convert convert) {
    return kmm::guardStatus([&] {
        if (!planck || !scene || !in || !out) return KMM_ERROR_NULL_ARGUMENT;
        const auto frame = kmm::checkedFrame(in, width, height);
        if (!frame) return KMM_ERROR_BAD_SIZE;
        kmm::RawResponse response;
        if (const kmm_status s = kmm::makeRawResponse(*planck, *scene, response); s != KMM_OK)
            return s;
        convert(response, in, frame->count(), out);
        return KMM_OK;
    });
}

// A one-value conversion of a finite input.
template <class Convert>
kmm_status convertValue(const kmm_planck_constants* planck, const kmm_radiometric_scene* scene,
                        double in, double* out, Convert convert) {
    return kmm::guardStatus([&] {
        if (!planck || !scene || !out) return KMM_ERROR_NULL_ARGUMENT;
        kmm::RawResponse response;
        if (const kmm_status s = kmm::makeRawResponse(*planck, *scene, response); s != KMM_OK)
            return s;
        if (!std::isfinite(in)) return KMM_ERROR_BAD_VALUE;
        *out = convert(response, in);
        return KMM_OK;
    });
}

}  // namespace

extern "C" {

KMM_API kmm_status kmm_radiometric_scene_defaults(kmm_radiometric_scene* scene) {
    if (scene == nullptr) return KMM_ERROR_NULL_ARGUMENT;
    *scene = {.emissivity = 1.0,
              .reflected_celsius = 20.0,
              .atmosphere_celsius = 20.0,
              .distance_m = 0.0,
              .humidity_percent = 50.0,
              .window_celsius = 20.0,
              .window_transmission = 1.0,
              .atm_x = 1.9,
              .atm_alpha1 = 0.006569,
              .atm_alpha2 = 0.01262,
              .atm_beta1 = -0.002276,
              .atm_beta2 = -0.00667};
    return KMM_OK;
}

KMM_API kmm_status kmm_raw_frame_to_temperatures(const kmm_planck_constants* planck,
                                                 const kmm_radiometric_scene* scene,
                                                 const uint16_t* raw, int32_t width,
                                                 int32_t height, float* celsius) {
    return convertFrame(planck, scene, raw, width, height, celsius, kmm::rawFrameToCelsius);
}

KMM_API kmm_status kmm_temperatures_to_raw_frame(const kmm_planck_constants* planck,
                                                 const kmm_radiometric_scene* scene,
                                                 const float* celsius, int32_t width,
                                                 int32_t height, uint16_t* raw) {
    return convertFrame(planck, scene, celsius, width, height, raw, kmm::celsiusFrameToRaw);
}

KMM_API kmm_status kmm_raw_to_temperature(const kmm_planck_constants* planck,
                                          const kmm_radiometric_scene* scene, double raw,
                                          double* celsius) {
    return convertValue(planck, scene, raw, celsius, kmm::objectCelsius);
}

KMM_API kmm_status kmm_temperature_to_raw(const kmm_planck_constants* planck,
                                          const kmm_radiometric_scene* scene, double celsius,
                                          double* raw) {
    return convertValue(planck, scene, celsius, raw, kmm::rawOfCelsius);
}

}  // extern "C"
