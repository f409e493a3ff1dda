// Inside the stand-in: the instance and DRC states behind the handles, and the journal and
// fault hooks every PYRO_ function goes through.
//
// What the stand-in gives the selectors (values are int32 unless said otherwise):
//   PYRO_BaseControl     14 output: 0 temperatures, 1 grey image; 28 accepted, no effect
//   PYRO_MeasureControl  1 emissivity (float), 0 distance in metres (float), 3 reflected and
//                        atmospheric temperature in degC (float); 15 response range of the
//                        calibration block (0 linear, 1 fire); 12, 13 (float), 16, 17 (float
//                        pairs), 18 (int32 pair), 14 and all others accepted, no effect
//   PYRO_ImageControl    22, 23 one byte; 3 the brightest grey level of PYRO_ISP_Y8 (default
//                        255); all others accepted, no effect
//   PYRO_Debugger        accepted, no effect
// PYRO_MeasureTempMatrix takes its float setting as the distance of that measurement;
// PYRO_MeasureAnalysisTempPoint reads (emissivity, distance, unused, reflected).
#pragma once

#include <cstdint>
#include <string_view>

#include "pyro/pyro_api.h"
#include "pyro_control.h"
#include "radiometry.h"

struct PyroInstance {
    int32_t width = 0;
    int32_t height = 0;
    pyro_standin::Calibration calibration;
    pyro_standin::Conditions conditions;
    int32_t range = 0;
    int32_t output = 0;
    int32_t greyMax = 255;
    int32_t dimmingType = 0;
    PYRO_DIMMING_RANGE dimming{};
};

struct PyroDrc {
    int32_t width = 0;
    int32_t height = 0;
    PYRO_DRC_PARAMS params{};
};

namespace pyro_standin {

// Called first by every PYRO_ function: throws std::bad_alloc when the faults name it.
void enter(std::string_view function);
bool journaling();
void record(pyro_test::Call call);
const pyro_test::Faults& faults();

// The datum a control's value points at, decoded by the selector's documented type.
std::vector<double> decodeControl(std::string_view function, int32_t selector,
                                  const void* value);

PyroHandle openInstance(int32_t width, int32_t height);
bool isLive(PyroHandle h);
void closeInstance(PyroHandle h);

}  // namespace pyro_standin
