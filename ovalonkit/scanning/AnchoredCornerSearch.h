#pragma once

#include "scanning/CornerFinder.h"
#include "scanning/GrayImage.h"
#include "scanning/SymbolAnchor.h"
#include "sheets/SheetLayout.h"

#include <optional>

namespace ovalon {

// Corners in sheet order, and whether one of them was placed rather than seen.
struct AnchoredCorners {
  Corners corners;
  bool placedFromThree = false;

  bool operator==(const AnchoredCorners &) const = default;
};

// Finds the corner squares where the identity symbol says they are: near the
// predicted places, at the predicted size, in the paper's own light. Used when
// the page doesn't fill the image, part of it is in shadow, or the plain
// finders' squares don't fit the symbol.
namespace AnchoredCornerSearch {

// The four corner squares, or three of them with the fourth placed from them
// and the symbol; nothing when fewer than three fit the sheet.
std::optional<AnchoredCorners> search(const GrayImage &page, const SheetLayout &layout,
                                      const SymbolAnchor &symbol);

// Where the fourth corner of the sheet lies given the other three (sheet order;
// `missing` is ignored) and the symbol; nothing when they can't hold a sheet.
std::optional<Point> placeMissing(const Corners &corners, size_t missing, const SheetLayout &layout,
                                  const SymbolAnchor &symbol);

// Whether sheet-order corners can hold this sheet and put the symbol where it was seen.
bool fitsSheet(const Corners &corners, const SheetLayout &layout, const SymbolAnchor &symbol);

} // namespace AnchoredCornerSearch

} // namespace ovalon
