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

}  // namespace kmm
