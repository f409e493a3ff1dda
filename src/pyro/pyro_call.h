// What every closed-library export does around its operation: the argument checks it shares
// with the others, then one context (opened by its constructor, closed by its destructor)
// around the operation.
#pragma once

#include "KModuleMeasure.h"
#include "pyro/pyro_context.h"
#include "registry/model_registry.h"

namespace kmm {

// The most samples a frame may hold: the library takes its byte length as an int32.
inline constexpr int32_t kMaxFrameSamples = INT32_MAX / 2;

// False for a null model name, a zero size, a frame that is null, holds fewer than
// width x height samples or more than kMaxFrameSamples, or a model of the standard or fire
// list without a parameter line of kParamLineMinLength. A null block is left to the context,
// which takes it as absent.
bool acceptPyroCall(const char* modelName, const PYRO_PARAM& param);

// The plain exports' frame and block arguments, in the order of PYRO_PARAM; a width or height
// of 0 or below becomes 0, which the checks refuse.
PYRO_PARAM plainParam(int width, int height, const uint16_t* y16Data, int y16Count,
                      const void* calibData, int calibLength, const void* sceneB,
                      int sceneBLength, const void* sceneA, int sceneALength, const void* sceneC,
                      int sceneCLength, const void* paramLine, int paramLineLength);

template <class Operation>
void runPyroCall(const char* modelName, const PYRO_PARAM& param, Operation&& operation) {
    if (!acceptPyroCall(modelName, param)) return;
    PyroContext ctx(modelName, param);
    operation(ctx, lookupModel(modelName));
}

}  // namespace kmm
