// A small deterministic generator for synthetic scenes: the same seed gives the same frame
// on every machine and compiler (the standard distributions do not promise that).
#pragma once

#include <cstdint>

namespace kmm::scenes {

class SplitMix64 {
public:
    explicit SplitMix64(uint64_t seed) : state_(seed) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    // Roughly normal (sum of four uniforms), mean 0, standard deviation 1.
    double normal() {
        return (uniform() + uniform() + uniform() + uniform() - 2.0) * 1.7320508075688772;
    }

private:
    uint64_t state_;
};

}  // namespace kmm::scenes
