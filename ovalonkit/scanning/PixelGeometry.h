#pragma once

namespace ovalon {

// A point in image pixels: origin at the top-left corner of the image, x to
// the right, y downward. Pixel (x, y) covers [x, x + 1) × [y, y + 1).
struct PixelPoint {
  double x = 0;
  double y = 0;

  bool operator==(const PixelPoint &) const = default;
};

// An axis-aligned rectangle in image pixels, same axes as PixelPoint.
struct PixelRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  bool operator==(const PixelRect &) const = default;
};

} // namespace ovalon
