#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/SheetLayout.h"

#include <string>
#include <vector>

namespace ovalon::testing {

// A pencil mark: a filled ellipse in page points.
struct PencilMark {
  Point centre;
  double width = 11;
  double height = 9;
  double gray = 0.2; // 0 black … 1 white
};

PencilMark answerMark(const SheetLayout &layout, int position, int slot, double gray = 0.2);
PencilMark idMark(const SheetLayout &layout, int column, int digit, double gray = 0.2);

// Page `page` of a sheet drawn at `dpi` with everything the readers look at
// placed by the layout: corner squares, the identity symbol holding
// `symbolText`, answer bubbles and (on page 1) ID bubbles; then the marks.
GrayImage drawSheetPage(const SheetLayout &layout, int page, double dpi,
                        const std::vector<PencilMark> &marks = {},
                        const std::string &symbolText = "OVALON");

} // namespace ovalon::testing
