// Reads typed values off a fuzzer's byte string; past its end every value reads as zero.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kmm::fuzz {

class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    template <class T>
    T take() {
        T value{};
        const size_t n = size_ - pos_ < sizeof(T) ? size_ - pos_ : sizeof(T);
        if (n) std::memcpy(&value, data_ + pos_, n);
        pos_ += n;
        return value;
    }
    size_t remaining() const { return size_ - pos_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

}  // namespace kmm::fuzz
