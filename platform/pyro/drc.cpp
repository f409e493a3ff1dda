// The stand-in's fire DRC: states behind the DRC handles and their parameter sets.
// The interface has no function that releases a DRC handle, so the states live in a small
// ring that is reused: the 16 most recent handles of each thread stay valid. One ring per
// thread, so that calls on several threads never reuse a slot another thread still uses.
#include <array>

#include "standin.h"

using pyro_test::Call;
using namespace pyro_standin;

namespace {

thread_local std::array<PyroDrc, 16> ring;
thread_local size_t nextSlot = 0;

}  // namespace

extern "C" {

PyroDrcHandle PYRO_FireDRCInit(int32_t width, int32_t height, int32_t option) {
    const LibraryCall scope = enter("PYRO_FireDRCInit");
    PyroDrcHandle drc = nullptr;
    if (width > 0 && height > 0) {
        drc = &ring[nextSlot];
        nextSlot = (nextSlot + 1) % ring.size();
        *drc = PyroDrc{width, height, {}};
    }
    record({.function = "PYRO_FireDRCInit",
            .values = {double(width), double(height), double(option)}, .handle = drc});
    return drc;
}

int32_t PYRO_FireDRCSetParams(PyroDrcHandle drc, const PYRO_DRC_PARAMS* params) {
    const LibraryCall scope = enter("PYRO_FireDRCSetParams");
    const int32_t result = drc != nullptr && params != nullptr ? 0 : -1;
    Call call{.function = "PYRO_FireDRCSetParams", .handle = drc, .result = result};
    if (result == 0) {
        drc->params = *params;
        call.values.assign(std::begin(params->values), std::end(params->values));
    }
    record(call);
    return result;
}

}  // extern "C"
