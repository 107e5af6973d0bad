#include "reports/ResultSlip.h"

#include "grading/Scoring.h"
#include "model/Choices.h"
#include "reports/ClassOrder.h"

#include <algorithm>

namespace ovalon {

ResultSlip ResultSlip::make(const ScannedSheet &sheet, const Exam &exam, std::string name,
                            std::string studentID) {
  const SheetScore score = Scoring::score(sheet, exam);
  ResultSlip slip;
  slip.name = std::move(name);
  slip.studentID = std::move(studentID);
  slip.earned = score.earned;
  slip.possible = score.possible;
  slip.showsVersion = exam.versions.size() > 1;
  const ExamVersion *version = exam.version(sheet.version);
  slip.version = version ? Choices::letter(sheet.version) : "?";
  if (!version)
    return slip;

  const std::vector<std::optional<int>> answers = sheet.answers();
  const std::vector<std::set<int>> printedKey = exam.printedKey(sheet.version);
  for (int p = 0; p < exam.questionCount && p < static_cast<int>(version->order.size()); ++p) {
    const size_t q = static_cast<size_t>(version->order[static_cast<size_t>(p)]);
    // Questions that do not count have no verdict and are never misses.
    if (q >= score.correct.size() || score.correct[q].value_or(true))
      continue;
    const size_t position = static_cast<size_t>(p);
    Miss miss;
    miss.number = p + 1;
    if (position < answers.size() && answers[position])
      miss.given = Choices::letter(*answers[position]);
    if (position < printedKey.size())
      miss.correct = Choices::text(printedKey[position]);
    slip.misses.push_back(std::move(miss));
  }
  return slip;
}

std::vector<ResultSlip> ResultSlip::all(const Exam &exam, const Roster &roster,
                                        const std::vector<ScannedSheet> &sheets) {
  struct Entry {
    bool matched = false;
    std::string sortName;
    int number = 0;
    ResultSlip slip;
  };
  std::vector<Entry> entries;
  for (const ScannedSheet &sheet : sheets) {
    if (sheet.excluded)
      continue;
    const std::string id = sheet.studentID().value_or("");
    const std::optional<Student> student = id.empty() ? std::nullopt : roster.student(id);
    std::string name;
    if (student)
      name = student->name();
    else if (!id.empty())
      name = "Student " + id;
    else
      name = "Sheet " + std::to_string(sheet.number);
    Entry entry;
    entry.matched = student.has_value();
    entry.sortName = student ? student->sortName() : name;
    entry.number = sheet.number;
    entry.slip = make(sheet, exam, std::move(name), id);
    entries.push_back(std::move(entry));
  }
  // The gradebook's order, so slips and the score file list the class alike.
  sortAsClassList(entries);
  std::vector<ResultSlip> slips;
  slips.reserve(entries.size());
  for (Entry &entry : entries)
    slips.push_back(std::move(entry.slip));
  return slips;
}

} // namespace ovalon
