#pragma once

#include "sheets/Point.h"

#include <cstdint>

namespace ovalon {

// How one simulated scan departs from the printed page.
struct ScanDistortion {
  double rotation = 0; // degrees clockwise; an odd number of quarter turns turns the frame
  double shear = 0;    // horizontal shear factor
  double scale = 1;
  Point offset;        // points, x right and y down
  int noise = 0;       // largest change of a pixel's gray level by noise
  int specks = 0;      // dark dots of dust
  uint8_t paper = 255; // gray level of the paper
  uint64_t seed = 0;   // of the noise, the specks and the pencil's wobble

  bool operator==(const ScanDistortion &) const = default;
};

} // namespace ovalon
