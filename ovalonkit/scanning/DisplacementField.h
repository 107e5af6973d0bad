#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"

#include <cstdint>
#include <vector>

namespace ovalon {

// A smooth displacement over an image, known at scattered points and filled in between:
// broadly from everything near, then pulled onto each known point. Positions and shifts
// are in the image's continuous pixel coordinates.
class DisplacementField {
public:
  struct Sample {
    Point at;
    Point shift;
  };

  DisplacementField(int64_t width, int64_t height, const std::vector<Sample> &samples);

  // The shift at a position (bilinear between grid nodes).
  Point at(Point position) const;

  // `image` moved so that what lies at p + shift(p) comes to p; white where nothing does.
  GrayImage applied(const GrayImage &image) const;

private:
  int64_t width_, height_;
  int64_t columns_, rows_; // grid nodes
  std::vector<float> dx_, dy_;
};

} // namespace ovalon
