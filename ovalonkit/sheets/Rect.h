#pragma once

#include "sheets/Point.h"

namespace ovalon {

// An axis-aligned rectangle (x, y, width, height) with y growing downward, so
// minY is the top edge.
struct Rect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double minX() const { return x; }
  double minY() const { return y; }
  double maxX() const { return x + width; }
  double maxY() const { return y + height; }
  double midX() const { return x + width / 2; }
  double midY() const { return y + height / 2; }
  Point center() const { return {midX(), midY()}; }

  bool operator==(const Rect &) const = default;
};

} // namespace ovalon
