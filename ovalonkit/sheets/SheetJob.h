#pragma once

#include "model/Roster.h"
#include "sheets/SheetFill.h"

#include <vector>

namespace ovalon {

// One print request: blank copies of a version, or one sheet per fill.
struct SheetJob {
  int version = 0;
  int copies = 1; // used only without students; at least one blank sheet is printed
  std::vector<SheetFill> students;

  // One sheet of `version` per roster student, name and ID filled in, in class-list order.
  static SheetJob classSet(const Roster &roster, int version);

  // The class set with the test's versions handed out in turn, A, B, A, B… in class-list
  // order, so neighbours in a seating by name get different versions: one job per sheet.
  static std::vector<SheetJob> dealt(const Roster &roster, int versionCount);

  bool operator==(const SheetJob &) const = default;
};

} // namespace ovalon
