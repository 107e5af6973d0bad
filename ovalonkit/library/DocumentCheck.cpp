#include "library/DocumentCheck.h"

#include <set>

namespace ovalon::DocumentCheck {

namespace {

using Problem = std::optional<std::string>;

bool inRange(std::optional<int> value, int count) {
  return !value || (*value >= 0 && *value < count);
}

// A row of `bubbles` bubbles: its fills, and the choice and darkest bubble among them.
bool sound(const MarkRead &mark, int bubbles) {
  return static_cast<int>(mark.fills.size()) == bubbles && inRange(mark.choice, bubbles) &&
         inRange(mark.strongest, bubbles);
}

Problem rosterProblem(const Roster &roster) {
  if (roster.students.size() > maxStudents)
    return "The roster has " + std::to_string(roster.students.size()) +
           " students; a test can have " + std::to_string(maxStudents) + ".";
  for (const Student &student : roster.students)
    if (student.id.size() > maxText || student.firstName.size() > maxText ||
        student.lastName.size() > maxText)
      return std::string("A roster entry is longer than a name can be.");
  if (roster.sourceName && roster.sourceName->size() > maxText)
    return std::string("The roster\u2019s file name is too long.");
  return std::nullopt;
}

Problem flagProblem(const ReviewFlag &flag, const Exam &exam, const std::string &where) {
  const bool markKind = flag.kind == FlagKind::blank || flag.kind == FlagKind::double_ ||
                        flag.kind == FlagKind::faint;
  if (markKind != flag.position.has_value())
    return where + " has a flag whose question doesn\u2019t fit its kind.";
  if (!inRange(flag.position, exam.questionCount))
    return where + " has a flag on question " + std::to_string(*flag.position + 1) +
           ", which the test doesn\u2019t have.";
  if (static_cast<int>(flag.fills.size()) > exam.choiceCount ||
      !inRange(flag.suggestion, exam.choiceCount))
    return where + " has a flag with more bubbles than the test has choices.";
  if (flag.crop && flag.crop->size() > maxPicture)
    return where + " has a flag picture that is too large.";
  if (flag.note.size() > maxText)
    return where + " has a flag note that is too long.";
  if (flag.resolution) {
    const auto &decision = flag.resolution->decision;
    if (const auto *choice = std::get_if<Resolution::Choice>(&decision);
        choice && (!markKind || !inRange(choice->slot, exam.choiceCount)))
      return where + " has a decision for a choice the test doesn\u2019t have.";
    if (const auto *student = std::get_if<Resolution::Student>(&decision);
        student && (flag.kind != FlagKind::studentID || student->id.size() > maxText))
      return where + " has a student decision on a flag that isn\u2019t about the ID.";
  }
  return std::nullopt;
}

Problem sheetProblem(const ScannedSheet &sheet, const Exam &exam) {
  const std::string where = "Sheet " + std::to_string(sheet.number);
  if (sheet.number < 1)
    return "A sheet is numbered " + std::to_string(sheet.number) + ".";
  if (static_cast<int>(sheet.marks.size()) != exam.questionCount)
    return where + " has " + std::to_string(sheet.marks.size()) + " answers for " +
           std::to_string(exam.questionCount) + " questions.";
  for (const MarkRead &mark : sheet.marks)
    if (!sound(mark, exam.choiceCount))
      return where + " has an answer row that doesn\u2019t fit the test\u2019s " +
             std::to_string(exam.choiceCount) + " choices.";
  if (static_cast<int>(sheet.idColumns.size()) > Exam::maxIDDigits)
    return where + " has more ID columns than a sheet can have.";
  for (const MarkRead &column : sheet.idColumns)
    if (!sound(column, 10))
      return where + " has an ID column that isn\u2019t ten bubbles.";
  if (sheet.readID.size() > maxText || sheet.source.size() > maxText)
    return where + " has a source or ID that is too long.";
  // Far more pages than any sheet of this test can list: a bound, not a count.
  const size_t mostPages = static_cast<size_t>(exam.pageCount()) * 4;
  if (sheet.sourcePages.size() > mostPages || sheet.pageImages.size() > mostPages ||
      sheet.cornerMethods.size() > mostPages)
    return where + " has more pages than a sheet of this test can have.";
  for (int page : sheet.sourcePages)
    if (page < 1)
      return where + " names page " + std::to_string(page) + " of its scan.";
  if ((sheet.idCrop && sheet.idCrop->size() > maxPicture) ||
      (sheet.nameCrop && sheet.nameCrop->size() > maxPicture))
    return where + " has a picture that is too large.";
  if (sheet.name &&
      (sheet.name->text.size() > maxText || sheet.name->alternatives.size() > maxText))
    return where + " has a name reading that is too long.";
  std::set<Uuid> flagIDs;
  for (const ReviewFlag &flag : sheet.flags) {
    if (!flagIDs.insert(flag.id).second)
      return where + " has two flags with one id.";
    if (auto problem = flagProblem(flag, exam, where))
      return problem;
  }
  return std::nullopt;
}

Problem issueProblem(const ScanIssue &issue) {
  const std::string where = "The unread page " + std::to_string(issue.sourcePage) + " of \u201C" +
                            issue.source.substr(0, 200) + "\u201D";
  if (issue.sourcePage < 1)
    return "An unread page is numbered " + std::to_string(issue.sourcePage) + ".";
  if (issue.problem.has_value() == issue.orphanPage.has_value())
    return where + " has no single reason.";
  if (issue.orphanPage && *issue.orphanPage < 2)
    return where + " is said to follow a page it can\u2019t follow.";
  if (issue.source.size() > maxText)
    return where + " has a source name that is too long.";
  return std::nullopt;
}

} // namespace

std::optional<std::string> problem(const ExamDocument &document) {
  if (auto broken = document.exam.brokenRule())
    return broken;
  if (auto roster = rosterProblem(document.roster))
    return roster;
  if (document.sheets.size() > maxSheets)
    return "The test holds " + std::to_string(document.sheets.size()) + " sheets; it can hold " +
           std::to_string(maxSheets) + ".";
  if (document.issues.size() > maxIssues)
    return "The test holds " + std::to_string(document.issues.size()) +
           " pages that couldn\u2019t be graded; it can hold " + std::to_string(maxIssues) + ".";
  std::set<Uuid> sheetIDs;
  for (const ScannedSheet &sheet : document.sheets) {
    if (!sheetIDs.insert(sheet.id).second)
      return "Sheet " + std::to_string(sheet.number) + " shares its id with another sheet.";
    if (auto problem = sheetProblem(sheet, document.exam))
      return problem;
  }
  std::set<Uuid> issueIDs;
  for (const ScanIssue &issue : document.issues) {
    if (!issueIDs.insert(issue.id).second)
      return std::string("Two pages that couldn\u2019t be graded share one id.");
    if (auto problem = issueProblem(issue))
      return problem;
  }
  return std::nullopt;
}

} // namespace ovalon::DocumentCheck
