#pragma once
// Deterministic randomness. Values are derived from a seed and a key (the
// time slot, the group number ...) rather than from one running sequence, so
// a reply does not depend on how often the engine happened to ask before.
#include <cmath>
#include <cstdint>

namespace sondaro::sim {

[[nodiscard]] constexpr std::uint64_t Mix(std::uint64_t x) {
  // splitmix64 finaliser
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

[[nodiscard]] constexpr std::uint64_t Key(std::uint64_t a, std::uint64_t b) {
  return Mix(a ^ Mix(b));
}
[[nodiscard]] constexpr std::uint64_t Key(std::uint64_t a, std::uint64_t b, std::uint64_t c) {
  return Key(Key(a, b), c);
}

// Uniform in [0, 1).
[[nodiscard]] inline double UnitOf(std::uint64_t key) {
  return static_cast<double>(Mix(key) >> 11) * (1.0 / 9007199254740992.0);
}

// A running sequence for bulk draws (histogram samples, a capture's noise).
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() { return Mix(state_ += 0x632BE59BD9B4E019ull); }
  double Unit() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Unit(); }
  double Gauss() {
    if (haveSpare_) {
      haveSpare_ = false;
      return spare_;
    }
    double u = Unit();
    while (u <= 1e-300) u = Unit();
    const double v = Unit();
    const double r = std::sqrt(-2.0 * std::log(u));
    spare_ = r * std::sin(6.283185307179586 * v);
    haveSpare_ = true;
    return r * std::cos(6.283185307179586 * v);
  }

 private:
  std::uint64_t state_;
  double spare_ = 0;
  bool haveSpare_ = false;
};

}  // namespace sondaro::sim
