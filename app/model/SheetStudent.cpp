#include "model/SheetStudent.h"

#include "scanning/NameMatcher.h"

namespace ovalon {

namespace {

// As many suggestions as the review list of ovalon-cli offers.
constexpr int suggestionCount = 3;

} // namespace

SheetStudent SheetStudent::of(const ScannedSheet &sheet, const Roster &roster) {
  SheetStudent who;
  std::optional<std::string> counted = sheet.studentID();
  who.id = counted.value_or(sheet.readID);
  if (counted)
    who.student = roster.student(*counted);
  if (who.student)
    return who;
  if (sheet.name && !sheet.name->text.empty())
    who.nameOnSheet = sheet.name->text;
  who.suggestions = NameMatcher::match(sheet.name, roster.students, suggestionCount);
  return who;
}

} // namespace ovalon
