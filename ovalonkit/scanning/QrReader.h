#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// One QR symbol seen in an image.
struct QrObservation {
  std::optional<std::string> payload; // the decoded text, when it has one
  // The symbol's bounding box normalised to 0…1 of the image, origin at the
  // bottom-left (y grows upward), as the page reader's formulas expect.
  Rect boundingBox;
  // The symbol's own top-left, top-right, bottom-right and bottom-left corners
  // in image pixels (origin top-left): they turn with the symbol.
  std::array<Point, 4> corners{};

  bool operator==(const QrObservation &) const = default;
};

namespace QrReader {

// How hard to look: `quick` takes only a symbol that stands out plainly at the size given,
// for a first look at a reduced page; `thorough` also tries the harder, turned and reduced
// readings.
enum class Effort { quick, thorough };

// Every QR symbol found in the image, in the decoder's order. Nothing found
// (or a failed search) gives an empty list.
std::vector<QrObservation> detect(const GrayImage &image, Effort effort = Effort::thorough);

} // namespace QrReader

} // namespace ovalon
