#pragma once

namespace ovalon {

// A position in points or pixels; which one is said where it is used.
struct Point {
  double x = 0;
  double y = 0;

  bool operator==(const Point &) const = default;
};

} // namespace ovalon
