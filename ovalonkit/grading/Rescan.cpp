#include "grading/Rescan.h"

#include "grading/Assembly.h"
#include "grading/Scoring.h"
#include "model/Student.h"
#include "scanning/MarkReading.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <set>

namespace ovalon::Rescan {

namespace {

bool isKeyPage(const PageOutcome &outcome) {
  return outcome.identity && !outcome.problem && outcome.identity->isKey;
}

// The slots a row counts as marked, at the same level the flag notes name letters by.
std::set<int> markedSlots(const MarkRead &read) {
  std::vector<int> slots = MarkReading::marked(read, MarkThresholds{});
  return {slots.begin(), slots.end()};
}

// Clean ID bubbles that name a student of the roster (any clean ID when there is no roster).
bool readsListedStudent(const ScannedSheet &sheet, const Roster &roster) {
  if (sheet.readID.empty() || sheet.readID.find('?') != std::string::npos)
    return false;
  return roster.students.empty() || roster.student(sheet.readID).has_value();
}

// A picked student always carries; an accepted ID only when the new scan reads the same digits.
int carryIDDecision(const ScannedSheet &old, ScannedSheet &fresh, const Roster &roster) {
  auto last = std::ranges::find(old.flags.rbegin(), old.flags.rend(), FlagKind::studentID,
                                &ReviewFlag::kind);
  if (last == old.flags.rend() || !last->resolution)
    return 0;
  const Resolution &decision = *last->resolution;
  bool carries =
      std::holds_alternative<Resolution::Student>(decision.decision) ||
      (std::holds_alternative<Resolution::Accept>(decision.decision) && fresh.readID == old.readID);
  // A picked student stays with the same paper, not with a page that clearly
  // reads another student of the class: that one asks the teacher again.
  if (const auto *picked = std::get_if<Resolution::Student>(&decision.decision)) {
    auto key = Student::idKey(fresh.readID);
    if (readsListedStudent(fresh, roster) && key != Student::idKey(picked->id) &&
        key != Student::idKey(old.readID))
      carries = false;
  }
  if (!carries)
    return 0;
  int kept = 0;
  for (ReviewFlag &flag : fresh.flags)
    if (flag.kind == FlagKind::studentID) {
      flag.resolution = decision;
      ++kept;
    }
  return kept;
}

// A decision on a row carries only while the row looks the same: a darkened or erased mark
// reopens its question. Should two decided flags name the row, the later one is the one that
// counted in the score, so it is the one carried.
int carryMarkDecisions(const ScannedSheet &old, ScannedSheet &fresh) {
  int kept = 0;
  for (ReviewFlag &flag : fresh.flags) {
    if (!flag.position || *flag.position < 0)
      continue;
    auto p = static_cast<size_t>(*flag.position);
    if (p >= old.marks.size() || p >= fresh.marks.size())
      continue;
    if (markedSlots(old.marks[p]) != markedSlots(fresh.marks[p]))
      continue;
    auto earlier = std::ranges::find_if(
        old.flags.rbegin(), old.flags.rend(), [&](const ReviewFlag &candidate) {
          return candidate.position == flag.position && candidate.kind == flag.kind &&
                 candidate.resolution &&
                 !std::holds_alternative<Resolution::Exclude>(candidate.resolution->decision);
        });
    if (earlier == old.flags.rend())
      continue;
    flag.resolution = earlier->resolution;
    ++kept;
  }
  return kept;
}

// The ID the new scan stands for: its decided or clean ID, else its ID bubbles
// when they read a student of the class clearly, even if an ID flag doubts it
// (another sheet has that student too).
std::optional<std::string> scannedID(const ScannedSheet &sheet, const Roster &roster) {
  if (auto id = sheet.studentID())
    return id;
  if (!readsListedStudent(sheet, roster))
    return std::nullopt;
  return sheet.readID;
}

// A sheet that now counts for someone else asks the teacher, whatever other
// doubt its ID raises: its prompt takes the place of the other ID flags.
void flagDifferentStudent(const ScannedSheet &old, ScannedSheet &fresh, const Roster &roster) {
  std::optional<std::string> oldID = old.studentID();
  std::optional<std::string> newID = scannedID(fresh, roster);
  if (!oldID || !newID || Student::idKey(*oldID) == Student::idKey(*newID))
    return;
  std::erase_if(fresh.flags, [](const ReviewFlag &f) { return f.kind == FlagKind::studentID; });
  ReviewFlag flag;
  flag.id = Uuid::random();
  flag.kind = FlagKind::studentID;
  flag.note = std::string(ReviewFlag::differentStudentNote) + " " + *newID +
              "; the sheet it replaced was " + *oldID + "\u2019s. Pick the student.";
  fresh.flags.insert(fresh.flags.begin(), std::move(flag));
}

} // namespace

std::string Failure::description() const {
  if (const auto *none = std::get_if<NoSheet>(&reason)) {
    std::string text = "No answer sheet for this test was found in the scan.";
    if (none->issueTitle)
      text += " " + *none->issueTitle + ".";
    return text;
  }
  if (const auto *several = std::get_if<SeveralSheets>(&reason))
    return "The scan has " + std::to_string(several->count) +
           " students\u2019 sheets. Rescan Sheet replaces one: scan just this student\u2019s "
           "sheet.";
  if (std::holds_alternative<OnlyKey>(reason))
    return "That scan is the answer key sheet, not a student\u2019s.";
  return "The sheet to replace isn\u2019t in this test any more.";
}

std::vector<std::string> Summary::sentences() const {
  char scores[160];
  std::snprintf(scores, sizeof scores,
                "The score went from %.0f%% to %.0f%%. The rest of the class wasn\u2019t regraded.",
                oldScore, newScore);
  std::vector<std::string> lines{scores};
  if (keptDecisions > 0)
    lines.push_back(std::to_string(keptDecisions) + " review answer" +
                    (keptDecisions == 1 ? " was" : "s were") +
                    " kept, where the new scan reads the same.");
  if (differentStudent)
    lines.emplace_back("The new scan reads a different student ID: pick the student in Review.");
  if (openFlags > 0)
    lines.push_back(std::to_string(openFlags) + " mark" + (openFlags == 1 ? "" : "s") +
                    " on the new scan need" + (openFlags == 1 ? "s" : "") + " a look in Review.");
  if (ignoredPages > 0)
    lines.push_back(std::to_string(ignoredPages) + " other page" +
                    (ignoredPages == 1 ? " was" : "s were") + " in the file and left out.");
  return lines;
}

std::expected<Replacement, Failure> replace(const Uuid &sheetID, const Exam &exam,
                                            const Roster &roster, std::vector<ScannedSheet> &sheets,
                                            const std::vector<PageOutcome> &outcomes, Date now) {
  auto oldAt = std::ranges::find(sheets, sheetID, &ScannedSheet::id);
  if (oldAt == sheets.end())
    return std::unexpected(Failure::notFound());
  const auto index = static_cast<size_t>(oldAt - sheets.begin());

  std::vector<PageOutcome> studentPages;
  int keyPages = 0;
  for (const PageOutcome &outcome : outcomes) {
    if (isKeyPage(outcome))
      ++keyPages;
    else
      studentPages.push_back(outcome);
  }

  std::vector<ScannedSheet> others;
  std::ranges::copy_if(sheets, std::back_inserter(others),
                       [&](const ScannedSheet &sheet) { return sheet.id != sheetID; });
  AssemblyResult assembly = Assembly::assemble(studentPages, exam, roster.students, others);

  if (assembly.sheets.empty()) {
    if (keyPages > 0)
      return std::unexpected(Failure::onlyKey());
    std::optional<std::string> title;
    if (!assembly.issues.empty())
      title = assembly.issues.front().title();
    return std::unexpected(Failure::noSheet(std::move(title)));
  }
  if (assembly.sheets.size() > 1)
    return std::unexpected(Failure::severalSheets(static_cast<int>(assembly.sheets.size())));

  // From here on nothing can fail, so the document may change.
  ScannedSheet old = std::move(sheets[index]);
  ScannedSheet fresh = std::move(assembly.sheets.front());
  fresh.id = old.id;
  fresh.number = old.number;
  fresh.excluded = false;
  fresh.rescanned = now;

  Replacement result;
  result.summary.keptDecisions =
      carryIDDecision(old, fresh, roster) + carryMarkDecisions(old, fresh);

  sheets[index] = std::move(fresh);
  sheets = Assembly::refreshIDFlags(std::move(sheets), exam, roster.students);
  ScannedSheet &placed = sheets[index];
  flagDifferentStudent(old, placed, roster);

  result.summary.openFlags = static_cast<int>(placed.openFlags().size());
  result.summary.ignoredPages = keyPages + static_cast<int>(assembly.issues.size());
  result.summary.differentStudent =
      std::ranges::any_of(placed.flags, &ReviewFlag::asksForDifferentStudent);
  result.summary.oldScore = Scoring::score(old, exam).percent();
  result.summary.newScore = Scoring::score(placed, exam).percent();

  for (const Uuid &image : placed.pictures())
    if (auto found = assembly.images.find(image); found != assembly.images.end())
      result.images.insert(std::move(*found));
  result.replacedImages = old.pictures();
  return result;
}

} // namespace ovalon::Rescan
