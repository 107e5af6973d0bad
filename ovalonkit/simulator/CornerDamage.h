#pragma once

#include <cstdint>

namespace ovalon {

// A corner of the page lost along with its corner square: torn off, or folded over onto the
// front so the fold's flap shows the blank back of the paper.
struct CornerDamage {
  enum class Kind { none, torn, foldedOver };
  Kind kind = Kind::none;
  int corner = 0; // 0 top-left, 1 top-right, 2 bottom-right, 3 bottom-left
  // Where the tear or fold meets the page's two edges, in points from the page's corner:
  // along the top or bottom edge, and along the left or right edge.
  double alongWidth = 0;
  double alongHeight = 0;
  uint64_t seed = 0; // of the tear's ragged edge

  bool operator==(const CornerDamage &) const = default;
};

} // namespace ovalon
