#pragma once

#include "model/Exam.h"
#include "scanning/CornerFinder.h"
#include "scanning/CornerMethod.h"
#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/SheetIdentity.h"

#include <array>
#include <optional>

namespace ovalon {

// Where the identity symbol was seen on the page, in page pixels: its centre
// and its own corners (top-left, top-right, bottom-right, bottom-left of the symbol).
struct SeenSymbol {
  Point centre;
  std::array<Point, 4> corners;
};

// A page found in its image: the corner squares and the page straightened into
// the sheet frame.
struct LocatedSheet {
  std::optional<CornerMethod> method;    // how the corners were found; absent when they weren't
  std::optional<Corners> corners;        // sheet order
  std::optional<GrayImage> straightened; // absent when the page can't be placed

  bool operator==(const LocatedSheet &) const = default;
};

// Finds the corner squares of a page, puts them in sheet order and straightens
// the page. The plain corner finders go first; their squares are kept when they
// fit the identity symbol, and otherwise the search anchored on the symbol
// decides (which may place one missing square from the other three). Without a
// symbol (an identity the teacher named) the printed page shows which way up it is.
namespace SheetLocator {

LocatedSheet locate(const GrayImage &page, const Exam &exam, const SheetIdentity &identity,
                    const std::optional<SeenSymbol> &symbol);

} // namespace SheetLocator

} // namespace ovalon
