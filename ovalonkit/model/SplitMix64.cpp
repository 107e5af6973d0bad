#include "model/SplitMix64.h"

namespace ovalon {

namespace {
__extension__ using UInt128 = unsigned __int128;
} // namespace

uint64_t SplitMix64::next() {
  state += golden;
  uint64_t z = state;
  z = (z ^ (z >> 30)) * 0xBF58'476D'1CE4'E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D0'49BB'1331'11EBULL;
  return z ^ (z >> 31);
}

double SplitMix64::nextUnit() {
  return static_cast<double>(next() >> 11) * 0x1.0p-53;
}

uint64_t SplitMix64::bounded(uint64_t bound) {
  auto product = static_cast<UInt128>(next()) * bound;
  auto low = static_cast<uint64_t>(product);
  if (low < bound) {
    uint64_t threshold = (0 - bound) % bound;
    while (low < threshold) {
      product = static_cast<UInt128>(next()) * bound;
      low = static_cast<uint64_t>(product);
    }
  }
  return static_cast<uint64_t>(product >> 64);
}

} // namespace ovalon
