#pragma once

namespace ovalon {

// The values a capture parameter is drawn from, evenly between low and high.
struct ValueRange {
  double low = 0;
  double high = 0;

  // The value a fraction `u` (0…1) of the way from low to high.
  double at(double u) const { return low + (high - low) * u; }

  bool operator==(const ValueRange &) const = default;
};

} // namespace ovalon
