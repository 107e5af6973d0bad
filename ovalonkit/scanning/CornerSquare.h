#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"

#include <array>

namespace ovalon::CornerSquare {

// Whether a printed corner square could be centred at `centre` (page pixels):
// solid ink out to its corners, paper all round just beyond its edges. `steps`
// are the page-pixel steps of one sheet point along the sheet's x and y there,
// so the test follows the page's scale and turn. Round punch holes, pencil
// strokes, blobs bigger than the square and squares sitting in print fail it.
bool fits(const GrayImage &page, Point centre, const std::array<Point, 2> &steps);

} // namespace ovalon::CornerSquare
