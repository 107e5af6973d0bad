#pragma once

#include "library/ExamDocument.h"
#include "model/Student.h"

#include <vector>

namespace ovalon {

// One row of the Test tab's roster table: a student as stored, and the graded
// sheets that count for them (none yet, one, or more than one to look into).
struct RosterRow {
  Student student;
  std::vector<int> sheets; // sheet numbers, ascending; excluded sheets left out

  // The roster in class-list order (last name, then first), each with its sheets.
  static std::vector<RosterRow> rows(const ExamDocument &document);

  bool operator==(const RosterRow &) const = default;
};

} // namespace ovalon
