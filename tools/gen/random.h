#pragma once
// A small pseudo-random source whose sequence is fixed by its seed on every
// platform and standard library: the generated journal must be the same bytes
// wherever the tests and benchmarks run, which the std distributions do not
// promise.

#include <cstdint>
#include <iterator>

namespace testdata {

class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}

    // splitmix64
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n; n > 0.
    int below(int n) { return int(((next() >> 32) * std::uint64_t(n)) >> 32); }
    // lo <= result <= hi.
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    // True in roughly `percent` cases of a hundred.
    bool chance(int percent) { return below(100) < percent; }
    template <class List>
    const auto& pick(const List& list) {
        return list[below(int(std::size(list)))];
    }

  private:
    std::uint64_t state_;
};

}  // namespace testdata
