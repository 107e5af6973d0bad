#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ovalon {

// An 8-bit grayscale raster, 0 black to 255 white, rows top to bottom with a
// row length of exactly `width` bytes.
struct GrayBitmap {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;

  // All white.
  static GrayBitmap blank(int width, int height) {
    return {width, height,
            std::vector<uint8_t>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                 255)};
  }

  uint8_t at(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
  uint8_t &at(int x, int y) {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }

  bool operator==(const GrayBitmap &) const = default;
};

} // namespace ovalon
