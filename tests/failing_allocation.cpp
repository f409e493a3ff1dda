// The replaceable global operator new and delete of the test binary, failing where an
// AllocationFailure says. Outside the address-sanitizer build every block also carries its
// size in front and a canary behind, checked when it is freed: a write past the end of any
// vector or array the library allocates then fails the plain build's run too.
#include "failing_allocation.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
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

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kGuarded = false;  // the sanitizer's red zones are finer: they catch reads too
#else
constexpr bool kGuarded = true;
#endif
constexpr std::size_t kHeader = kGuarded ? 16 : 0;  // keeps malloc's alignment
constexpr std::size_t kCanaryBytes = kGuarded ? 16 : 0;
constexpr unsigned char kCanary = 0xC5;

void* allocate(std::size_t size) {
    if (plan.armed && !(plan.exempt && plan.exempt()) && plan.remaining-- == 0) {
        plan.reached = true;
        throw std::bad_alloc();
    }
    auto* block = static_cast<unsigned char*>(std::malloc(kHeader + (size == 0 ? 1 : size) + kCanaryBytes));
    if (block == nullptr) throw std::bad_alloc();
    if constexpr (kGuarded) std::memcpy(block, &size, sizeof size);
    std::memset(block + kHeader + size, kCanary, kCanaryBytes);
    return block + kHeader;
}

void release(void* p) noexcept {
    if (p == nullptr) return;
    auto* block = static_cast<unsigned char*>(p) - kHeader;
    std::size_t size = 0;
    if constexpr (kGuarded) std::memcpy(&size, block, sizeof size);
    for (std::size_t i = 0; i < kCanaryBytes; ++i)
        if (block[kHeader + size + i] != kCanary) std::fprintf(stderr, "a write past a %zu-byte block\n", size), std::abort();
    std::free(block);
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
void operator delete(void* p) noexcept { kmm::test::release(p); }
void operator delete[](void* p) noexcept { kmm::test::release(p); }
void operator delete(void* p, std::size_t) noexcept { kmm::test::release(p); }
void operator delete[](void* p, std::size_t) noexcept { kmm::test::release(p); }
