#pragma once

#include "simulator/CaptureMedium.h"
#include "simulator/PaperWarp.h"
#include "simulator/ScanQuality.h"
#include "simulator/ValueRange.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ovalon {

// A named way of capturing a class's sheets, as a teacher meets it: the ranges every sheet's
// capture is drawn from, and the seed it is drawn with. Ranges that are 0…0 leave the effect
// out.
struct CaptureCondition {
  std::string name;
  std::string summary; // one line
  CaptureMedium medium = CaptureMedium::copier;
  uint64_t seed = 0;
  double upsideDown = 0; // chance that a page is captured the wrong way round

  // Copier
  ScanQuality scanner = ScanQuality::mild;
  double dpi = 200;
  int jpegQuality = 80; // 0 stores 8-bit gray pages
  uint8_t backing = 255;

  // Photo
  ValueRange pageFraction{0.75, 0.9}; // of the photo's long side
  ValueRange tilt{0, 6};              // degrees about each axis, either way
  ValueRange rotation{-6, 6};         // degrees
  ValueRange desk{60, 140};           // gray level
  ValueRange lightFalloff{0, 0.15};
  ValueRange noise{2, 5};
  ValueRange photoQuality{85, 92};

  // The paper
  std::vector<PaperWarp::Shape> warps; // one is drawn per sheet
  ValueRange warpAmplitude;            // points
  ValueRange creaseStep;               // points; a letter fold in thirds when not 0…0
  bool cornerDamage = false;
  ValueRange doodles;
  ValueRange cornerMarks;
  double punched = 0; // chance of punched holes

  // Photo light
  double shadow = 0; // chance of a hand's or a phone's shadow
  ValueRange shadowLight;

  bool operator==(const CaptureCondition &) const = default;
};

} // namespace ovalon
