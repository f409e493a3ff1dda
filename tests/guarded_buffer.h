// An output buffer with canary bytes on both sides, to catch writes outside it: a test fails
// when a buffer whose canaries changed goes out of scope, so no test can forget to look.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

#include <gtest/gtest.h>

namespace kmm {

template <typename T>
class GuardedBuffer {
public:
    static constexpr size_t kGuard = 64;

    explicit GuardedBuffer(size_t size, T fill = T(0xA5), T canary = T(0x5A))
        : storage_(size + 2 * kGuard, canary), canary_(canary), size_(size) {
        std::fill(data(), data() + size, fill);
    }
    GuardedBuffer(const GuardedBuffer&) = default;
    GuardedBuffer& operator=(const GuardedBuffer&) = default;
    ~GuardedBuffer() { EXPECT_TRUE(canariesIntact()) << "a write outside the buffer"; }

    T* data() { return storage_.data() + kGuard; }
    const T* data() const { return storage_.data() + kGuard; }
    size_t size() const { return size_; }
    T operator[](size_t i) const { return data()[i]; }
    std::vector<T> contents() const { return {data(), data() + size_}; }

    bool canariesIntact() const {
        for (size_t i = 0; i < kGuard; ++i)
            if (storage_[i] != canary_ || storage_[kGuard + size_ + i] != canary_) return false;
        return true;
    }

private:
    std::vector<T> storage_;
    T canary_;
    size_t size_;
};

}  // namespace kmm
