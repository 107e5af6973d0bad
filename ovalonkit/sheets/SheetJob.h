#pragma once

#include "sheets/SheetFill.h"

#include <vector>

namespace ovalon {

// One print request: blank copies of a version, or one sheet per fill.
struct SheetJob {
  int version = 0;
  int copies = 1; // used only without students; at least one blank sheet is printed
  std::vector<SheetFill> students;

  bool operator==(const SheetJob &) const = default;
};

} // namespace ovalon
