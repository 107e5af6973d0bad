#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"

#include <array>
#include <cstdint>

namespace ovalon::testing {

// How a clean page image is degraded into a simulated scan or photo.
struct PageDistortion {
  double rotationDegrees = 0; // clockwise on the scan; 180 is upside down
  double scale = 1;           // scan pixels per source pixel
  double keystone = 0;        // top edge shrinks and bottom edge grows by this fraction
  double skew = 0;            // horizontal shift of the top edge, as a fraction of the height
  double margin = 20;         // white border (scan pixels) around the page's bounding box
  double noise = 0;           // standard deviation of Gaussian pixel noise
  int jpegQuality = 0;        // 1…100: JPEG round trip at that quality; 0: none
  uint64_t seed = 1;
};

// A distorted page and where each source point ended up.
struct DistortedPage {
  GrayImage image;
  std::array<double, 9> homography{}; // source → scan, row-major, continuous coordinates

  Point map(Point source) const;
};

DistortedPage distort(const GrayImage &page, const PageDistortion &distortion);

// Projects `source` so that its four corners (top-left, top-right,
// bottom-right, bottom-left) land on `corners` of a width × height image.
GrayImage projected(const GrayImage &source, const std::array<Point, 4> &corners, int64_t width,
                    int64_t height);

} // namespace ovalon::testing
