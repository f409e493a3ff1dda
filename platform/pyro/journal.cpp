// The stand-in's shared state: the journal, the injected faults and the set of open
// instances, with the test-control functions over them.
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <set>

#include "standin.h"

namespace pyro_standin {
namespace {

struct State {
    std::mutex mutex;
    bool journaling = false;
    std::vector<pyro_test::Call> journal;
    pyro_test::Faults faults;
    std::atomic<int> throwsRaised{0};
    std::set<PyroHandle> live;
};

State& state() {
    static State s;
    return s;
}

}  // namespace

thread_local int libraryDepth = 0;

LibraryCall::LibraryCall() { ++libraryDepth; }
LibraryCall::~LibraryCall() { --libraryDepth; }

LibraryCall enter(std::string_view function) {
    if (!state().faults.throwIn.empty() && state().faults.throwIn == function) {
        ++state().throwsRaised;
        throw std::bad_alloc();
    }
    return {};
}

bool journaling() { return state().journaling; }

void record(pyro_test::Call call) {
    State& s = state();
    if (!s.journaling) return;
    std::lock_guard lock(s.mutex);
    s.journal.push_back(std::move(call));
}

const pyro_test::Faults& faults() { return state().faults; }

std::vector<double> decodeControl(std::string_view function, int32_t selector,
                                  const void* value) {
    if (value == nullptr) return {};
    auto floats = [value](int n) {
        const auto* f = static_cast<const float*>(value);
        return std::vector<double>(f, f + n);
    };
    auto ints = [value](int n) {
        const auto* i = static_cast<const int32_t*>(value);
        return std::vector<double>(i, i + n);
    };
    if (function == "PYRO_MeasureControl") {
        switch (selector) {
            case PYRO_MEASURE_SETTING1: case PYRO_MEASURE_SETTING2: case PYRO_MEASURE_SETTING3:
            case PYRO_MEASURE_WINDOW_MODE1_END: case PYRO_MEASURE_WINDOW_MODE2_END:
                return floats(1);
            case PYRO_MEASURE_WINDOW_MODE1: case PYRO_MEASURE_WINDOW_MODE2: return floats(2);
            case PYRO_MEASURE_WINDOW_OTHER: return ints(2);
            default: return ints(1);
        }
    }
    if (function == "PYRO_ImageControl" &&
        (selector == PYRO_IMAGE_FLAG_A || selector == PYRO_IMAGE_FLAG_B))
        return {double(*static_cast<const uint8_t*>(value))};
    return ints(1);
}

PyroHandle openInstance(int32_t width, int32_t height) {
    auto instance = std::make_unique<PyroInstance>();
    instance->width = width;
    instance->height = height;
    std::lock_guard lock(state().mutex);
    state().live.insert(instance.get());
    return instance.release();
}

bool isLive(PyroHandle h) {
    std::lock_guard lock(state().mutex);
    return h != nullptr && state().live.count(h) != 0;
}

void closeInstance(PyroHandle h) {
    {
        std::lock_guard lock(state().mutex);
        if (state().live.erase(h) == 0) return;
    }
    delete h;
}

}  // namespace pyro_standin

namespace pyro_test {

void reset(const Faults& faults, bool journaling) {
    auto& s = pyro_standin::state();
    std::lock_guard lock(s.mutex);
    s.journal.clear();
    s.faults = faults;
    s.throwsRaised = 0;
    s.journaling = journaling;
}

void stop() {
    auto& s = pyro_standin::state();
    std::lock_guard lock(s.mutex);
    s.journal.clear();
    s.faults = {};
    s.journaling = false;
}

const std::vector<Call>& journal() { return pyro_standin::state().journal; }

int liveInstances() {
    auto& s = pyro_standin::state();
    std::lock_guard lock(s.mutex);
    return int(s.live.size());
}

bool insideLibrary() { return pyro_standin::libraryDepth > 0; }

int throwsRaised() { return pyro_standin::state().throwsRaised.load(); }

}  // namespace pyro_test
