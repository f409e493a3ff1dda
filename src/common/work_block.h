// The one way an image call takes its work memory: a single block, sized up front, taken
// apart in order. One block rather than several lets the heap keep it from one call to the
// next (a freed large block raises glibc's mmap threshold to its size), so a steady stream of
// frames faults no pages in; several blocks were handed back and faulted in on every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <type_traits>

namespace kmm {

class WorkBlock {
public:
    // Parts start on cache lines, which also suits any vector width.
    static constexpr size_t kAlignment = 64;

    // Bytes that count values of T take in a block. Sizes no block can address are refused
    // as an allocation that cannot be had.
    template <class T>
    static size_t bytesFor(size_t count) {
        if (count > (SIZE_MAX / 4) / sizeof(T)) throw std::bad_alloc();
        return (count * sizeof(T) + kAlignment - 1) / kAlignment * kAlignment;
    }

    // One block of the given size (a sum of bytesFor), uninitialised. The block is a plain
    // allocation whose start is rounded up to the alignment: an aligned allocation (memalign)
    // leaves split-off pieces beside the block that keep the heap from reusing it.
    explicit WorkBlock(size_t bytes)
        : size_(bytes), block_(std::make_unique_for_overwrite<std::byte[]>(bytes + kAlignment)) {
        const auto address = reinterpret_cast<uintptr_t>(block_.get());
        start_ = block_.get() + ((kAlignment - address % kAlignment) % kAlignment);
    }

    // The next count values of T, uninitialised: every user writes a part before reading it.
    // Taking more than the block was sized for throws std::bad_alloc rather than overrun.
    template <class T>
    T* take(size_t count) {
        static_assert(std::is_trivially_default_constructible_v<T> &&
                      std::is_trivially_destructible_v<T>);
        const size_t bytes = bytesFor<T>(count);
        if (bytes > size_ - used_) throw std::bad_alloc();
        std::byte* part = start_ + used_;
        used_ += bytes;
        return std::launder(reinterpret_cast<T*>(part));
    }

private:
    size_t size_;
    size_t used_ = 0;
    std::unique_ptr<std::byte[]> block_;
    std::byte* start_;
};

}  // namespace kmm
