// The replaceable global operator new and delete of the test binary, failing where an
// AllocationFailure says; otherwise plain malloc and free.
#include "failing_allocation.h"

#include <cstdlib>
#include <new>

namespace kmm::test {
namespace {

struct Plan {
    bool armed = false;
    int remaining = 0;
    bool reached = false;
    bool (*exempt)() = nullptr;
};
thread_local Plan plan;

void* allocate(std::size_t size) {
    if (plan.armed && !(plan.exempt && plan.exempt()) && plan.remaining-- == 0) {
        plan.reached = true;
        throw std::bad_alloc();
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}

}  // namespace

AllocationFailure::AllocationFailure(int failAt, bool (*exempt)()) {
    plan = {true, failAt, false, exempt};
}
AllocationFailure::~AllocationFailure() { plan.armed = false; }
bool AllocationFailure::reached() const { return plan.reached; }

}  // namespace kmm::test

void* operator new(std::size_t size) { return kmm::test::allocate(size); }
void* operator new[](std::size_t size) { return kmm::test::allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
