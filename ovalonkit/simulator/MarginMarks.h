#pragma once

#include <cstdint>

namespace ovalon {

// What a student and a hole punch leave in the margins, clear of the bubbles, the ID grid,
// the identity symbol and the corner squares.
struct MarginMarks {
  enum class Punched { none, left, right };
  int doodles = 0;     // pencil doodles: spirals, stars, boxes, scribbles
  int cornerMarks = 0; // dark pencil marks between a corner square and the page's corner
  Punched punched = Punched::none; // three holes (two on A4) along that edge
  double holeDiameter = 0;         // points
  double holeInset = 0;            // points from the edge to the holes' centres
  uint64_t seed = 0;               // of the doodles' shapes and places

  bool operator==(const MarginMarks &) const = default;
};

} // namespace ovalon
