// The replaceable global operator new and delete of the test binary, failing where an
// AllocationFailure says. Outside the sanitizer builds every block also carries a guard
// after its end, checked when it is freed, so a Release run of the tests catches a write past
// the end of any heap block (the sanitizer builds see those, and reads, themselves).
#include "failing_allocation.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KMM_TEST_GUARDS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define KMM_TEST_GUARDS 0
#endif
#endif
#ifndef KMM_TEST_GUARDS
#define KMM_TEST_GUARDS 1
#endif

namespace kmm::test {
namespace {

struct Plan {
    bool armed = false;
    int remaining = 0;
    bool reached = false;
    bool (*exempt)() = nullptr;
};
thread_local Plan plan;

constexpr std::size_t kGuard = 16;
constexpr unsigned char kGuardByte = 0xD5;

void* allocate(std::size_t size) {
    if (plan.armed && !(plan.exempt && plan.exempt()) && plan.remaining-- == 0) {
        plan.reached = true;
        throw std::bad_alloc();
    }
    if (!KMM_TEST_GUARDS) {
        if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
        throw std::bad_alloc();
    }
    // [size][pad to 16] block [16 guard bytes]: malloc's 16-byte alignment is kept.
    if (size > SIZE_MAX - 2 * kGuard) throw std::bad_alloc();
    auto* base = static_cast<unsigned char*>(std::malloc(size + 2 * kGuard));
    if (!base) throw std::bad_alloc();
    std::memcpy(base, &size, sizeof size);
    std::memset(base + kGuard + size, kGuardByte, kGuard);
    return base + kGuard;
}

void release(void* p) noexcept {
    if (!KMM_TEST_GUARDS || !p) {
        std::free(p);
        return;
    }
    auto* base = static_cast<unsigned char*>(p) - kGuard;
    std::size_t size;
    std::memcpy(&size, base, sizeof size);
    for (std::size_t i = 0; i < kGuard; ++i) {
        if (base[kGuard + size + i] != kGuardByte) {
            std::fprintf(stderr, "a heap block of %zu bytes was written past its end\n", size);
            std::abort();
        }
    }
    std::free(base);
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
