#include "scanning/SheetLocator.h"

#include "scanning/AnchoredCornerSearch.h"
#include "scanning/CornerSquare.h"
#include "scanning/PageOrientation.h"
#include "scanning/SymbolAnchor.h"
#include "sheets/SheetLayout.h"

#include <cmath>

namespace ovalon::SheetLocator {

namespace {

struct Found {
  Corners corners;
  CornerMethod method;
};

std::optional<Found> plainCorners(const GrayImage &page, const SheetLayout &layout) {
  const double side =
      CornerFinder::expectedSquareSide(page.width, page.height, layout.pageSize.height);
  const int threshold = CornerFinder::inkThreshold(page.pixels);
  if (auto corners = CornerFinder::findCornersVision(side, page, threshold))
    return Found{*corners, CornerMethod::vision};
  if (auto corners = CornerFinder::findCornersBlobs(side, page, threshold))
    return Found{*corners, CornerMethod::blobs};
  return std::nullopt;
}

// Whether the plain finders' squares can be kept: they hold the sheet, put the
// symbol where it was seen, and each is a printed corner square where the
// symbol expects one, not a finder pattern of the symbol or a mark nearby.
bool fitsSymbol(const Corners &corners, const GrayImage &page, const SheetLayout &layout,
                const SymbolAnchor &symbol) {
  if (!AnchoredCornerSearch::fitsSheet(corners, layout, symbol))
    return false;
  const auto frame = layout.cornerCenters();
  const auto sheet = Homography::fitted(frame, corners);
  if (!sheet)
    return false;
  for (size_t i = 0; i < 4; ++i) {
    if (symbol.covers(corners[i]) || !CornerSquare::fits(page, corners[i], sheet->steps(frame[i])))
      return false;
  }
  return true;
}

LocatedSheet straightened(const GrayImage &page, const Corners &corners, CornerMethod method,
                          const SheetLayout &layout) {
  LocatedSheet located{method, std::nullopt, std::nullopt};
  if (!CornerFinder::plausibleCorners(corners, layout.pageSize))
    return located;
  located.corners = corners;
  located.straightened = GrayImage::straightened(page, corners, layout.pageSize);
  return located;
}

Corners turnedBy(const Corners &corners, size_t quarterTurns) {
  Corners turned;
  for (size_t i = 0; i < 4; ++i)
    turned[i] = corners[(i + quarterTurns) % 4];
  return turned;
}

// A page read for a named identity: which of the image's corners is the
// sheet's top-left comes from the page's proportions (upright or sideways)
// and then from its print (which way round).
LocatedSheet withoutSymbol(const GrayImage &page, const Exam &exam, const SheetIdentity &identity,
                           const SheetLayout &layout, const Found &found) {
  size_t turn = 0;
  if (!CornerFinder::plausibleCorners(found.corners, layout.pageSize) &&
      CornerFinder::plausibleCorners(turnedBy(found.corners, 1), layout.pageSize))
    turn = 1;
  LocatedSheet located = straightened(page, turnedBy(found.corners, turn), found.method, layout);
  if (!located.straightened)
    return located;
  const auto match = PageOrientation::compare(*located.straightened, exam, identity);
  switch (PageOrientation::verdict(match)) {
  case PageOrientation::Verdict::upright:
    return located;
  case PageOrientation::Verdict::turned:
    return straightened(page, turnedBy(found.corners, turn + 2), found.method, layout);
  case PageOrientation::Verdict::unclear:
    break;
  }
  // Reading a page the wrong way round would answer every question wrongly.
  return {found.method, std::nullopt, std::nullopt};
}

} // namespace

LocatedSheet locate(const GrayImage &page, const Exam &exam, const SheetIdentity &identity,
                    const std::optional<SeenSymbol> &symbol) {
  const SheetLayout layout(identity.signature);
  const std::optional<Found> plain = plainCorners(page, layout);
  if (!symbol) {
    if (!plain)
      return {};
    return withoutSymbol(page, exam, identity, layout, *plain);
  }

  const std::optional<SymbolAnchor> anchor = SymbolAnchor::make(identity, layout, symbol->corners);
  std::optional<Found> oriented;
  if (plain)
    oriented = Found{CornerFinder::orientCorners(plain->corners, symbol->centre), plain->method};
  if (!anchor) {
    if (!oriented)
      return {};
    return straightened(page, oriented->corners, oriented->method, layout);
  }
  if (oriented && fitsSymbol(oriented->corners, page, layout, *anchor))
    return straightened(page, oriented->corners, oriented->method, layout);

  if (auto anchored = AnchoredCornerSearch::search(page, layout, *anchor))
    return straightened(
        page, anchored->corners,
        anchored->placedFromThree ? CornerMethod::threeCorners : CornerMethod::blobs, layout);
  // The plain finders' squares don't fit the symbol and nothing better was
  // found: reading them could put every bubble in the wrong place.
  return {oriented ? std::optional(oriented->method) : std::nullopt, std::nullopt, std::nullopt};
}

} // namespace ovalon::SheetLocator
