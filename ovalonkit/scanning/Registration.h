#pragma once

#include "scanning/GrayImage.h"
#include "sheets/SheetLayout.h"

#include <vector>

namespace ovalon {

// A straightened page whose printed bubbles have been found where they really are.
struct RegisteredPage {
  // The page in the sheet frame, corrected so every printed bubble sits at its layout
  // position; the straightened page itself when it already did.
  GrayImage image;
  // One per answer row of the page, in position order: its bubbles were found and lined up.
  std::vector<bool> rowsLinedUp;
  // One per student-ID column (first pages only): all ten of its bubbles were lined up.
  std::vector<bool> idColumnsLinedUp;
  // The largest correction applied to a bubble, in points (0 when none was needed).
  double largestShift = 0;

  bool operator==(const RegisteredPage &) const = default;
};

// Registration: after four-corner straightening a page that was bowed, curled, folded or
// placed from three corners can still be off by a bubble or more in places. The printed
// bubble outlines are looked for around their layout positions, followed row by row from
// both ends of every block (where blank paper tells one row from the next), and a smooth
// correction moves the page so each bubble lands where the layout expects it. A row that
// can't be followed from either end, or whose two ends disagree, is reported as not lined
// up rather than sampled at a guess.
namespace Registration {

// `straightened` is page `page` of `layout` in the sheet frame. On a page whose bubbles are
// already in place (a flat scan) the image is returned untouched and every row is lined up.
RegisteredPage registered(GrayImage straightened, const SheetLayout &layout, int page);

} // namespace Registration

} // namespace ovalon
