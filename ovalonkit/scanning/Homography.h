#pragma once

#include "sheets/Point.h"

#include <array>
#include <optional>
#include <span>

namespace ovalon {

// A projective mapping of the plane (3 × 3, row-major, last entry 1), used to
// carry sheet points in points onto page-image pixels.
struct Homography {
  std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

  Point map(Point p) const;
  // Where unit steps along x and along y from p land, relative to map(p).
  std::array<Point, 2> steps(Point p) const;

  // The mapping that best carries `from` onto `to` (least squares); four
  // pairs give an exact fit. Nothing for fewer than four pairs or when the
  // points are degenerate (three in a line).
  static std::optional<Homography> fitted(std::span<const Point> from, std::span<const Point> to);
  // The same restricted to affine mappings; three pairs give an exact fit.
  static std::optional<Homography> fittedAffine(std::span<const Point> from,
                                                std::span<const Point> to);

  bool operator==(const Homography &) const = default;
};

} // namespace ovalon
