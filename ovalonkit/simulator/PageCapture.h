#pragma once

#include "simulator/CaptureMedium.h"
#include "simulator/CornerDamage.h"
#include "simulator/FoldCrease.h"
#include "simulator/MarginMarks.h"
#include "simulator/PaperWarp.h"
#include "simulator/PhotoFraming.h"
#include "simulator/ScanDistortion.h"
#include "simulator/Shadow.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace ovalon {

// Everything about how one sheet's pages are captured: the paper's own state (bent, folded,
// torn, doodled on, punched), then the copier or the camera, its light and its file.
struct PageCapture {
  CaptureMedium medium = CaptureMedium::copier;
  // Copier: its tilt, shift, paper tone, noise and dust. Photos use only its paper tone and
  // its seed, which also draws the pencil's wobble.
  ScanDistortion scanner;
  double dpi = 200;      // copier
  int jpegQuality = 0;   // copier: pages stored as JPEG of this quality; 0 keeps 8-bit gray
  uint8_t backing = 255; // copier: what shows where there is no paper (lid or feeder)
  PhotoFraming photo;    // photos only
  PaperWarp warp;
  std::vector<FoldCrease> creases;
  CornerDamage corner;
  MarginMarks margins;
  std::optional<Shadow> shadow; // photos only

  bool operator==(const PageCapture &) const = default;
};

} // namespace ovalon
