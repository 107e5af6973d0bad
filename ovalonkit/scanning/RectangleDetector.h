#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"

#include <optional>
#include <vector>

namespace ovalon {

// Limits on the quadrilaterals a rectangle search reports.
struct RectangleOptions {
  double minimumAspectRatio = 0.5; // shorter side ÷ longer side, 0…1
  double maximumAspectRatio = 1.0;
  double minimumSize = 0.2; // longer side as a fraction of the image's shorter side
  int maximumObservations = 1;
  double quadratureTolerance = 30; // degrees a corner angle may differ from 90
  double minimumConfidence = 0;    // 0…1
};

// A quadrilateral found in an image. Corners are normalised to 0…1 of the
// image with the origin at the bottom-left (y grows upward).
struct RectangleObservation {
  Point topLeft, topRight, bottomRight, bottomLeft;
  double confidence = 0; // how well the shape fills its quadrilateral, 0…1

  bool operator==(const RectangleObservation &) const = default;
};

namespace RectangleDetector {

// Convex quadrilaterals outlining dark regions (or light holes in them) of
// the image, best first, honouring `options`. Absent when the search fails.
std::optional<std::vector<RectangleObservation>> detect(const GrayImage &image,
                                                        const RectangleOptions &options);

} // namespace RectangleDetector

} // namespace ovalon
