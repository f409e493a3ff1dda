// Inside the stand-in: the instance and DRC states behind the handles, and the journal and
// fault hooks every PYRO_ function goes through.
//
// What the stand-in makes of the selectors (PyroSelector in pyro_api.h; values are int32
// unless said otherwise):
//   PYRO_BaseControl     OUTPUT: 0 temperatures, 1 grey image; LEVEL accepted, no effect
//   PYRO_MeasureControl  SETTING1 emissivity (float), SETTING2 distance in metres (float),
//                        SETTING3 reflected and atmospheric temperature in degC (float);
//                        RESPONSE the response range of the calibration block (0 linear,
//                        1 fire); the WINDOW pairs and their ends (floats, int32 for OTHER),
//                        and all others accepted, no effect
//   PYRO_ImageControl    GREY_MAX the brightest grey level of PYRO_ISP_Y8 (default 255);
//                        FLAG_A, FLAG_B one byte; all others accepted, no effect
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

// Marks the thread as inside a PYRO_ function for as long as it lives.
class LibraryCall {
public:
    LibraryCall();
    ~LibraryCall();
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;
};

// Called first by every PYRO_ function: throws std::bad_alloc when the faults name it.
[[nodiscard]] LibraryCall enter(std::string_view function);
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
