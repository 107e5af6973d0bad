#pragma once

#include "sheets/Point.h"

#include <cstdint>

namespace ovalon {

// How a phone photographs a page lying on a desk.
struct PhotoFraming {
  int width = 3000; // pixels of the photo, portrait
  int height = 4000;
  double pageFraction = 0.85; // the page's long side over the photo's long side
  Point centre{0.5, 0.5};     // the page's centre in fractions of the photo
  double rotation = 0;        // degrees clockwise, in the photo's plane
  double tiltX = 0;           // degrees the camera leans about the page's horizontal axis
  double tiltY = 0;           // and about its vertical axis: the photo's perspective
  uint8_t desk = 110;         // gray level of the desk around the page
  double lightFalloff = 0;    // light lost from the brightest to the darkest side, 0…1
  double lightDirection = 0;  // degrees: the way the light falls off
  int blur = 1;               // passes of the lens's slight blur
  int noise = 3;              // sensor noise, gray levels
  int jpegQuality = 88;       // of the photo the phone saves
  uint64_t seed = 0;          // of the desk's grain and the noise

  bool operator==(const PhotoFraming &) const = default;
};

} // namespace ovalon
