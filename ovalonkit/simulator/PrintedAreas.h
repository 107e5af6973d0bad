#pragma once

#include "sheets/Rect.h"
#include "sheets/SheetLayout.h"

#include <vector>

namespace ovalon {

// The parts of a printed page a reader looks at: the corner squares, the identity symbol,
// the version box, the name box and ID grid of a first page, and every answer row. Damage
// and doodles that leave a page readable to a person stay clear of them.
namespace PrintedAreas {

std::vector<Rect> onPage(const SheetLayout &layout, int page);

// On any of the sheet's `pageCount` pages.
std::vector<Rect> onAnyPage(const SheetLayout &layout, int pageCount);

Rect grown(const Rect &rect, double by);

bool overlap(const Rect &a, const Rect &b);

} // namespace PrintedAreas

} // namespace ovalon
