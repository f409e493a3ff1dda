// The per-call context of the closed-library exports: copies of the caller's frame and
// blocks, one library instance opened and configured for the model name, the DRC parameter
// sets and level tables, all released by contextClose before the export returns.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>

#include "KModuleMeasure.h"
#include "pyro/pyro_api.h"

namespace kmm {

// An owned copy of one caller block; absent while length is 0.
struct OwnedBlock {
    std::unique_ptr<uint8_t[]> bytes;
    int32_t length = 0;
    bool present() const { return length > 0; }
    std::span<const uint8_t> view() const { return {bytes.get(), size_t(length)}; }
};

using LevelTable = std::array<float, 6>;

struct PyroContext {
    uint32_t width = 0;
    uint32_t height = 0;
    std::unique_ptr<uint16_t[]> frame;
    int32_t frameCount = 0;
    OwnedBlock calibData;
    OwnedBlock sceneA;
    OwnedBlock sceneB;
    OwnedBlock sceneC;
    OwnedBlock paramLine;
    std::atomic<uint8_t> initialised{0};
    PyroHandle handle = nullptr;
    PYRO_ISP_RESULT ispResult{};
    std::array<PYRO_DRC_PARAMS, 4> drcSets{};
    PyroDrcHandle drcHandle = nullptr;
    std::array<LevelTable, 3> levelTables{};
};

void contextCreate(PyroContext& ctx);
// Copies the caller's frame and blocks; a block with a null pointer or a length of 0 or
// less stays absent. Throws std::bad_alloc when a copy cannot be had.
void contextLoad(PyroContext& ctx, const PYRO_PARAM& param);
// Opens and configures one instance for the model; success shows as initialised == 1. Opens
// nothing for a zero size, an absent calibration, scene A or scene B block, or, for a model
// of the standard or fire list, a parameter line shorter than kParamLineMinLength.
void contextOpen(PyroContext& ctx, const char* modelName);
// Closes the instance (not the DRC handle: the library has no call for it) and frees every
// copy.
void contextClose(PyroContext& ctx);

// The image controls every grey or colour operation sets before the library draws.
void applyImageDefaults(PyroHandle h);

// Closes the context on every way out of the export, exceptions included.
struct ContextCloser {
    PyroContext& ctx;
    ~ContextCloser() { contextClose(ctx); }
};

}  // namespace kmm
