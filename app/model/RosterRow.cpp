#include "model/RosterRow.h"

#include <algorithm>

namespace ovalon {

std::vector<RosterRow> RosterRow::rows(const ExamDocument &document) {
  std::vector<RosterRow> rows;
  for (const Student &student : document.roster.sorted()) {
    RosterRow row{student, {}};
    std::string key = Student::idKey(student.id);
    for (const ScannedSheet &sheet : document.sheets)
      if (auto id = sheet.studentID(); id && !sheet.excluded && Student::idKey(*id) == key)
        row.sheets.push_back(sheet.number);
    std::ranges::sort(row.sheets);
    rows.push_back(std::move(row));
  }
  return rows;
}

} // namespace ovalon
