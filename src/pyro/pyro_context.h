// The per-call context of the closed-library exports: copies of the caller's frame and
// blocks, one library instance opened and configured for the model name, the DRC parameter
// sets and level tables. Made on the export's stack and gone before it returns.
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

// An instance handle that PYRO_Uninit closes when it goes. A throw from the library there is
// swallowed: a destructor runs while other exceptions may be in flight, and a handle the
// library failed to close is gone for us either way.
struct InstanceHandle {
    PyroHandle h = nullptr;
    InstanceHandle() = default;
    InstanceHandle(const InstanceHandle&) = delete;
    InstanceHandle& operator=(const InstanceHandle&) = delete;
    ~InstanceHandle();
};

// The constructor takes a call acceptPyroCall accepted (sides above 0, y16Count > 0 samples),
// copies the caller's frame and blocks (std::bad_alloc when a copy cannot be had) and opens
// and configures one instance for the model; the destructor closes it before
// the copies go, on every way out, exceptions included. The library holds this object's
// address (the data-request callback's user pointer), so it never moves.
class PyroContext {
public:
    PyroContext(const char* modelName, const PYRO_PARAM& param);
    PyroContext(const PyroContext&) = delete;
    PyroContext& operator=(const PyroContext&) = delete;

    // An instance is open, registered and holds its calibration block: operations may run.
    // Nothing opens for an absent calibration, scene A or scene B block, or when the library's
    // init fails.
    bool open() const { return initialised.load() == 1 && !calibrationRefused.load(); }

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
    std::atomic<bool> calibrationRefused{false};  // the block did not fit the library's room
    PYRO_ISP_RESULT ispResult{};
    std::array<PYRO_DRC_PARAMS, 4> drcSets{};
    PyroDrcHandle drcHandle = nullptr;
    std::array<LevelTable, 3> levelTables{};
    // Last, so that it closes first: the library may ask for the calibration block until then.
    InstanceHandle instance;

    PyroHandle handle() const { return instance.h; }
};

// The image controls every grey or colour operation sets before the library draws.
void applyImageDefaults(PyroHandle h);

}  // namespace kmm
