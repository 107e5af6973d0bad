#pragma once

#include "sheets/Point.h"

namespace ovalon {

// One crease of a page that was folded (a letter folded in thirds) and opened again. The
// paper below it lies a little shifted, so the print steps at the crease, and the crease
// itself shows as a thin shaded line.
struct FoldCrease {
  double y = 0;     // points from the top of the page
  Point step;       // points the paper below the crease is shifted by
  double shade = 0; // darkening of the crease line, 0…1

  bool operator==(const FoldCrease &) const = default;
};

} // namespace ovalon
