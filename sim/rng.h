#pragma once
// A small deterministic generator (splitmix64): the same seed gives the same
// device on every machine and every run.

#include <cstdint>

namespace vmk::sim {

class Rng {
 public:
  explicit Rng(std::uint64_t seed = 1) : m_state(seed) {}

  std::uint64_t next() {
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [lo, hi], both ends included.
  int range(int lo, int hi) {
    if (hi <= lo) return lo;
    return lo + int(next() % std::uint64_t(hi - lo + 1));
  }
  // Uniform in [0, 1).
  double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
  bool chance(double p) { return p > 0 && unit() < p; }

 private:
  std::uint64_t m_state;
};

}  // namespace vmk::sim
