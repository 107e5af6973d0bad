#pragma once

#include "scanning/CornerFinder.h"
#include "scanning/Homography.h"
#include "sheets/Point.h"
#include "sheets/SheetIdentity.h"
#include "sheets/SheetLayout.h"

#include <array>
#include <optional>

namespace ovalon {

// The identity symbol as a landmark: where it was printed (sheet points) and
// where it was seen (page pixels). Its place, size and turn predict where the
// corner squares are and how big they look.
struct SymbolAnchor {
  std::array<Point, 4> printed; // the symbol's corners on the sheet, in points
  std::array<Point, 4> seen;    // the same corners in the page image, in pixels
  Homography sheetToImage;      // affine, fitted to those four pairs

  // Nothing when the symbol's modules can't be worked out or its corners are degenerate.
  static std::optional<SymbolAnchor> make(const SheetIdentity &identity, const SheetLayout &layout,
                                          const std::array<Point, 4> &seenCorners);

  Point printedCentre() const;
  Point seenCentre() const;
  // Pixels per point of the symbol as seen.
  double scale() const;
  // Whether an image point falls on the symbol, its quiet zone included.
  bool covers(Point imagePoint) const;
  // How far (in points) the sheet held by `corners` (sheet order) would put the
  // symbol from where it was seen.
  double misfit(const Corners &corners, const SheetLayout &layout) const;
};

} // namespace ovalon
