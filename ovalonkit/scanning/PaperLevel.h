#pragma once

#include "scanning/GrayImage.h"

#include <array>
#include <span>

namespace ovalon {

// The paper's brightness just outside one printed bubble, in eight directions, so the
// bubble can be judged against the paper beside it instead of the page's overall level: a
// shadow's edge or uneven light then neither makes an empty bubble look marked nor floods
// a page with light marks.
struct PaperAround {
  // Gray level (0…255) of the paper in each eighth of the ring around the bubble, starting
  // to the right and turning clockwise (y down). Pencil spilling over the outline is
  // ignored where it can be told from shadow.
  std::array<double, 8> sectors{};

  // The paper's level around the bubble as a whole (the median direction).
  double level() const;

  bool operator==(const PaperAround &) const = default;
};

namespace PaperLevel {

// The paper around the bubble centred at (cx, cy) whose printed outline has radius
// `outline` (sheet-frame pixels), sampled between `outline` + 2.5 and `outline` + `reach`.
PaperAround around(const GrayImage &image, double cx, double cy, double outline, double reach);

// The page's paper where it is fully lit: a high percentile of the bubbles' levels.
double lit(std::span<const PaperAround> bubbles);

// Mean darkness of the disc (cx, cy, r) as it would look were the paper around it at
// `lit`. Equal to GrayImage::darkness wherever the paper around it is within a few percent
// of `lit` (a flat, evenly lit page reads exactly as it always has).
double darkness(const GrayImage &image, double cx, double cy, double r, const PaperAround &paper,
                double lit);

} // namespace PaperLevel

} // namespace ovalon
