#pragma once

namespace ovalon {

// The whole-pixel size of an image.
struct PixelSize {
  int width = 0;
  int height = 0;

  bool operator==(const PixelSize &) const = default;
};

} // namespace ovalon
