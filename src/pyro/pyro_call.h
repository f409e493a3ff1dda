// What every closed-library export does around its operation: the argument checks it shares
// with the others, and create, load, open, operation, close (close also when it throws).
#pragma once

#include "KModuleMeasure.h"
#include "pyro/pyro_context.h"
#include "registry/model_registry.h"

namespace kmm {

// False for a null model name, a zero size, a frame that is null or holds fewer than
// width x height samples, a null calibration or scene A/B pointer with a positive length,
// or a model of the standard or fire list without a parameter line of kParamLineMinLength.
bool acceptPyroCall(const char* modelName, const PYRO_PARAM& param);

template <class Operation>
void runPyroCall(const char* modelName, const PYRO_PARAM& param, Operation&& operation) {
    PyroContext ctx;
    contextCreate(ctx);
    const ContextCloser closer{ctx};
    contextLoad(ctx, param);
    contextOpen(ctx, modelName);
    operation(ctx, lookupModel(modelName));
}

// The plain exports' frame and block arguments, in the order of PYRO_PARAM.
struct PlainBlocks {
    int width, height;
    const uint16_t* y16Data;
    int y16Count;
    const void* calibData;
    int calibLength;
    const void* sceneB;
    int sceneBLength;
    const void* sceneA;
    int sceneALength;
    const void* sceneC;
    int sceneCLength;
    const void* paramLine;
    int paramLineLength;
};

// runPyroCall for a plain export, after its checks (a size of 0 or below refuses the call).
template <class Operation>
void runPlainPyroCall(const char* modelName, const PlainBlocks& b, Operation&& operation) {
    if (b.width <= 0 || b.height <= 0) return;
    const PYRO_PARAM param{uint32_t(b.width), uint32_t(b.height), b.y16Data, b.y16Count,
                           b.calibData,       b.calibLength,      b.sceneB,  b.sceneBLength,
                           b.sceneA,          b.sceneALength,     b.sceneC,  b.sceneCLength,
                           b.paramLine,       b.paramLineLength};
    if (acceptPyroCall(modelName, param)) runPyroCall(modelName, param, operation);
}

}  // namespace kmm
