// The argument checks shared by every closed-library export.
#include "pyro/pyro_call.h"

#include "pyro/param_line.h"

namespace kmm {
namespace {

// A positive length promises a readable block.
bool blockReadable(const void* data, int32_t length) { return length <= 0 || data != nullptr; }

}  // namespace

bool acceptPyroCall(const char* modelName, const PYRO_PARAM& p) {
    if (modelName == nullptr || p.width == 0 || p.height == 0 || p.y16Data == nullptr ||
        int64_t(p.width) * p.height > p.y16Count)
        return false;
    if (!blockReadable(p.calibData, p.calibLength) || !blockReadable(p.sceneA, p.sceneALength) ||
        !blockReadable(p.sceneB, p.sceneBLength))
        return false;
    const bool listed = lookupModel(modelName).pyroSetup != PyroSetup::Standard;
    return !listed || (p.paramLine != nullptr && p.paramLineLength >= kParamLineMinLength);
}

}  // namespace kmm
