#pragma once

#include "sheets/Canvas.h"
#include "sheets/SheetLayout.h"
#include "simulator/MarginMarks.h"

namespace ovalon {

// A bored student's pencil in the margins of one page: doodles in the free space around the
// printed parts, and dark marks in the little space between a corner square and the
// paper's corner. Drawn in points, y down; nothing lands on what a reader looks at.
namespace MarginDoodles {

void draw(Canvas &canvas, const SheetLayout &layout, int page, const MarginMarks &marks);

} // namespace MarginDoodles

} // namespace ovalon
