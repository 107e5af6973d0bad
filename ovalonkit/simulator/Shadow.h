#pragma once

#include "sheets/Point.h"

#include <vector>

namespace ovalon {

// A hard-edged shadow over part of a photo, cast by a hand or a phone: the union of
// `outlines` (polygons in fractions of the photo's width and height, y down) gets `light`
// of the light the rest of the photo gets.
struct Shadow {
  std::vector<std::vector<Point>> outlines;
  double light = 1;
  double edge = 1; // pixels over which the shadow's edge fades

  bool operator==(const Shadow &) const = default;
};

} // namespace ovalon
