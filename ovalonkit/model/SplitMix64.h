#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovalon {

// The published SplitMix64 generator. Versions and the simulator draw from it,
// so the exact sequence of draws is part of the stored format.
struct SplitMix64 {
  static constexpr uint64_t golden = 0x9E37'79B9'7F4A'7C15ULL;

  uint64_t state = 0;

  uint64_t next();

  // A double in [0, 1) with 53 random bits.
  double nextUnit();

  // Uniform integer in 0…bound-1 by multiply-and-reject (Lemire); bound ≥ 1.
  uint64_t bounded(uint64_t bound);

  // Forward Fisher–Yates, one bounded draw per step.
  template <typename T> void shuffle(std::vector<T> &items) {
    if (items.size() < 2)
      return;
    for (std::size_t i = 0; i + 1 < items.size(); ++i) {
      auto r = static_cast<std::size_t>(bounded(items.size() - i));
      if (r != 0)
        std::swap(items[i], items[i + r]);
    }
  }

  bool operator==(const SplitMix64 &) const = default;
};

} // namespace ovalon
