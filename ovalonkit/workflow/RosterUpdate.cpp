#include "workflow/RosterUpdate.h"

#include "grading/Assembly.h"
#include "model/RosterImport.h"

namespace ovalon::RosterUpdate {

namespace {

// Only when the sheets can't hold the roster's IDs.
std::optional<std::string> idDigitsNote(const Exam &exam, const Roster &roster) {
  int longest = roster.longestID();
  if (exam.idDigits >= longest)
    return std::nullopt;
  if (exam.idDigits == 0)
    return "This test has no ID bubbles, so each sheet's student is picked in Review.";
  return "Some IDs have " + std::to_string(longest) + " digits but the sheet has " +
         std::to_string(exam.idDigits) +
         " ID columns. Raise \u201CID digits\u201D before printing.";
}

} // namespace

std::expected<Imported, std::string> importRoster(ExamDocument &document, const Bytes &data,
                                                  std::string_view fileName,
                                                  const RosterImport::Options &options) {
  auto imported = RosterImport::importData(data, fileName, options);
  if (!imported)
    return std::unexpected(imported.error().description());
  document.roster = std::move(imported->roster);
  document.sheets =
      Assembly::refreshIDFlags(std::move(document.sheets), document.exam, document.roster.students);

  int count = static_cast<int>(document.roster.students.size());
  Imported result{count,
                  "Imported " + std::to_string(count) + (count == 1 ? " student" : " students"),
                  std::move(imported->warnings)};
  if (auto note = idDigitsNote(document.exam, document.roster))
    result.notes.push_back(*note);
  return result;
}

} // namespace ovalon::RosterUpdate
