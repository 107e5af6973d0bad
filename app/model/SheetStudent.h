#pragma once

#include "grading/ScannedSheet.h"
#include "library/ExamDocument.h"
#include "model/Student.h"
#include "scanning/NameMatch.h"

#include <optional>
#include <string>
#include <vector>

namespace ovalon {

// Who a graded sheet is for, as the Grade table and Review show it. A sheet that
// counts for a roster student shows that student; one that doesn't (an ID off the
// roster, unclear or missing) shows the name handwritten on it, which the screens
// mark as read from the sheet: handwriting is often a few letters off, so it is
// never taken for a roster name, and exports leave it out.
struct SheetStudent {
  std::optional<Student> student;         // the roster student the sheet counts for
  std::string id;                         // the ID it counts for, else the ID as read
  std::optional<std::string> nameOnSheet; // the handwriting, only without a roster student
  std::vector<NameMatch> suggestions;     // roster students that handwriting matches, best first

  static SheetStudent of(const ScannedSheet &sheet, const Roster &roster);

  bool operator==(const SheetStudent &) const = default;
};

} // namespace ovalon
