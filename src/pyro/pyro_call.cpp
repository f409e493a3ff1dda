// The argument checks shared by every closed-library export.
#include "pyro/pyro_call.h"

#include <algorithm>

#include "pyro/param_line.h"

namespace kmm {
namespace {

uint32_t side(int value) { return uint32_t(std::max(value, 0)); }

}  // namespace

bool acceptPyroCall(const char* modelName, const PYRO_PARAM& p) {
    if (modelName == nullptr || p.width == 0 || p.height == 0 || p.y16Data == nullptr ||
        p.y16Count <= 0 || p.y16Count > kMaxFrameSamples ||
        uint64_t(p.width) * p.height > uint64_t(p.y16Count))
        return false;
    const bool listed = lookupModel(modelName).pyroSetup != PyroSetup::Standard;
    return !listed || (p.paramLine != nullptr && p.paramLineLength >= kParamLineMinLength);
}

PYRO_PARAM plainParam(int width, int height, const uint16_t* y16Data, int y16Count,
                      const void* calibData, int calibLength, const void* sceneB,
                      int sceneBLength, const void* sceneA, int sceneALength, const void* sceneC,
                      int sceneCLength, const void* paramLine, int paramLineLength) {
    return {side(width), side(height), y16Data, y16Count,     calibData,
            calibLength, sceneB,       sceneBLength, sceneA, sceneALength,
            sceneC,      sceneCLength, paramLine,    paramLineLength};
}

}  // namespace kmm
