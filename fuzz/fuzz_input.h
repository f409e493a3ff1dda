// Reads a fuzz target's input: its leading record (fuzz_layouts.h) whole, then the data that
// follows as the buffers a correct host would pass; past the input's end everything reads as
// zero. Failed checks trap, which the fuzzer reports as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "fuzz_layouts.h"
#include "registry/model_registry.h"

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

    // count values of T (at least one, so that a refused size still gets a real buffer).
    template <class T>
    std::vector<T> values(size_t count) {
        std::vector<T> out(count > 0 ? count : 1);
        const size_t bytes = out.size() * sizeof(T);
        const size_t n = size_ - pos_ < bytes ? size_ - pos_ : bytes;
        if (n) std::memcpy(out.data(), data_ + pos_, n);
        pos_ += n;
        return out;
    }

    bool empty() const { return pos_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

inline void check(bool condition) {
    if (!condition) __builtin_trap();
}

// A registry name for most picks, otherwise up to 11 arbitrary bytes, NUL-terminated.
class ModelName {
public:
    explicit ModelName(const ModelPick& pick) {
        const auto rows = registryRows();
        if (pick.index < kRegistryPicks) {
            name_ = rows[pick.index % rows.size()].name.data();
            return;
        }
        std::memcpy(text_, pick.name, sizeof pick.name);
        text_[(pick.index - kRegistryPicks) % sizeof text_] = '\0';
        name_ = text_;
    }
    const char* get() const { return name_; }

private:
    char text_[sizeof(ModelPick::name) + 1] = {};
    const char* name_;
};

// A side length from -2 to limit: mostly positive, sometimes 0 or negative.
inline int32_t side(int16_t raw, int32_t limit) {
    return int32_t(uint16_t(raw) % uint32_t(limit + 3)) - 2;
}

// The raw value side() reads as s (for seeds).
constexpr int16_t sideValue(int32_t s) { return int16_t(s + 2); }

// width x height when both are positive, else 0.
inline size_t pixels(int32_t width, int32_t height) {
    return width > 0 && height > 0 ? size_t(width) * size_t(height) : 0;
}

}  // namespace kmm::fuzz
