#pragma once

#include "sheets/Point.h"

#include <array>
#include <cstddef>

namespace ovalon {

// A plane-to-plane projective map, 3 × 3 row-major, acting on (x, y, 1).
struct Homography {
  std::array<double, 9> m{1, 0, 0, 0, 1, 0, 0, 0, 1};

  Point apply(Point p) const {
    const double w = m[6] * p.x + m[7] * p.y + m[8];
    return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
  }

  // This map after `first`.
  Homography after(const Homography &first) const {
    Homography product;
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 3; ++c) {
        double sum = 0;
        for (int k = 0; k < 3; ++k)
          sum +=
              m[static_cast<std::size_t>(3 * r + k)] * first.m[static_cast<std::size_t>(3 * k + c)];
        product.m[static_cast<std::size_t>(3 * r + c)] = sum;
      }
    return product;
  }

  // The map back (the adjugate: a homography is defined up to scale).
  Homography inverse() const {
    const auto &a = m;
    return {{a[4] * a[8] - a[5] * a[7], a[2] * a[7] - a[1] * a[8], a[1] * a[5] - a[2] * a[4],
             a[5] * a[6] - a[3] * a[8], a[0] * a[8] - a[2] * a[6], a[2] * a[3] - a[0] * a[5],
             a[3] * a[7] - a[4] * a[6], a[1] * a[6] - a[0] * a[7], a[0] * a[4] - a[1] * a[3]}};
  }

  bool operator==(const Homography &) const = default;
};

} // namespace ovalon
