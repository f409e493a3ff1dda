// Consecutive blocks of at most `size` items over 0 .. count - 1, for a range-for:
//     for (const auto b : blocks(count, kBlock)) work(b.start, b.end);
// The bound lives here once, instead of in every loop that cuts a frame into cache-sized or
// overflow-safe pieces; the last block may be shorter, and none is empty.
#pragma once

#include <algorithm>

namespace kmm {

template <class Index>
struct Block {
    Index start, end;
    Index size() const { return end - start; }
};

template <class Index>
class Blocks {
public:
    struct Iterator {
        Index start, count, size;
        // count - start first: start + size may not fit Index near its end.
        Block<Index> operator*() const { return {start, start + std::min(size, count - start)}; }
        Iterator& operator++() {
            start += std::min(size, count - start);
            return *this;
        }
        bool operator!=(const Iterator& end) const { return start != end.start; }
    };

    Blocks(Index count, Index size) : count_(std::max(count, Index(0))), size_(size) {}
    Iterator begin() const { return {0, count_, size_}; }
    Iterator end() const { return {count_, count_, size_}; }

private:
    Index count_, size_;
};

template <class Index>
Blocks<Index> blocks(Index count, Index size) {
    return {count, size};
}

}  // namespace kmm
