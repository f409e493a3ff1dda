// Test control of the stand-in closed library: a journal of every call and fault injection.
// Only tests (and fuzz targets) include this and link the stand-in statically to reach it;
// libpyro.so keeps it hidden, and the adapter in src/pyro never uses it, so a host can swap in
// the real library, which has none of it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pyro_test {

// One call as the stand-in saw it.
struct Call {
    std::string function;           // "PYRO_Init", "PYRO_MeasureControl", ...
    int32_t selector = -1;          // control selector; -1 for other functions
    std::vector<double> values;     // scalar arguments, and the datum a control's value points at
    const void* address = nullptr;  // a control's value pointer, Register's user pointer,
                                    // the DRC's source frame
    const void* handle = nullptr;   // the instance or DRC handle used, or the one returned
    int64_t result = 0;             // the return value (Register: the callback's return value)
    std::vector<uint16_t> samples;  // the frame handed to ISP, ISP_Y8, MeasureTempMatrix, DRC
};

struct Faults {
    bool initFails = false;        // PYRO_Init returns 0
    int32_t setSceneResult = 0;    // PYRO_SetScene returns this
    int32_t dimmingResult = 0;     // PYRO_DimmingType returns this
    bool requestWithoutRoom = false;  // PYRO_Register asks for the calibration with no buffer
    bool requestWithoutLength = false;  // ... or with nowhere to put its length
    // PYRO_CalcY16ByTemp writes calcY16(temperature) instead of the radiometric value.
    std::function<int16_t(float)> calcY16;
    std::string throwIn;           // this PYRO_ function throws std::bad_alloc when called
                                   // (PYRO_Uninit after closing the instance)
};

// Clears the journal, installs faults and starts journaling (off until the first reset)
// unless told not to.
void reset(const Faults& faults = {}, bool journaling = true);
// Stops journaling and clears the journal and the faults.
void stop();
const std::vector<Call>& journal();
// Instances opened by PYRO_Init and not yet closed by PYRO_Uninit.
int liveInstances();
// True while this thread runs a PYRO_ function (the library's own allocations happen then).
bool insideLibrary();
// How often the faults' throwIn has thrown since the last reset.
int throwsRaised();

}  // namespace pyro_test
