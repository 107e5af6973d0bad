#pragma once

#include "sheets/Canvas.h"
#include "sheets/SheetFill.h"

#include <optional>

namespace ovalon {

struct Exam;

namespace SheetRenderer {

// Draws page `page` (1-based) of version `version`'s answer sheet, pre-filled
// with `fill` when given. The canvas is in PDF page coordinates (origin
// bottom-left); the state is saved and restored around the drawing.
void draw(const Exam &exam, int version, int page, const std::optional<SheetFill> &fill,
          Canvas &canvas);

} // namespace SheetRenderer

} // namespace ovalon
