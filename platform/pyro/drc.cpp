// The stand-in's fire DRC: states behind the DRC handles and their parameter sets.
// The interface has no function that releases a DRC handle, so the states live in a small
// ring that is reused: the 16 most recent handles stay valid.
#include <array>
#include <mutex>

#include "standin.h"

using pyro_test::Call;
using namespace pyro_standin;

namespace {

std::array<PyroDrc, 16> ring;
size_t nextSlot = 0;
std::mutex ringMutex;

}  // namespace

extern "C" {

PyroDrcHandle PYRO_FireDRCInit(int32_t width, int32_t height, int32_t option) {
    const LibraryCall scope = enter("PYRO_FireDRCInit");
    PyroDrcHandle drc = nullptr;
    if (width > 0 && height > 0) {
        std::lock_guard lock(ringMutex);
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
