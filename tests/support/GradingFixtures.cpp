#include "support/GradingFixtures.h"

namespace ovalon::fixtures {

Exam examWithKey(int questions, int choices, const std::vector<int> &answers) {
  Exam exam = Exam::make(Uuid::random(), "Quiz", Date{}, questions, choices, 6, Paper::letter, 7);
  for (size_t q = 0; q < answers.size(); ++q)
    exam.setKey(static_cast<int>(q), {answers[q]}, 1, false);
  return exam;
}

MarkRead clearMark(int choices, int slot) {
  MarkRead mark = MarkRead::empty(choices);
  mark.fills[static_cast<size_t>(slot)] = 0.9;
  mark.flag.reset();
  mark.choice = mark.strongest = slot;
  return mark;
}

MarkRead doubleMark(int choices, int first, int second) {
  MarkRead mark = MarkRead::empty(choices);
  mark.fills[static_cast<size_t>(first)] = 0.9;
  mark.fills[static_cast<size_t>(second)] = 0.6;
  mark.flag = MarkFlag::double_;
  mark.strongest = first;
  return mark;
}

ScannedSheet sheetAnswering(const Exam &exam, const std::vector<std::optional<int>> &printed,
                            int version, std::string readID) {
  ScannedSheet sheet;
  sheet.id = Uuid::random();
  sheet.source = "scan.pdf";
  sheet.sourcePages = {1};
  sheet.version = version;
  sheet.readID = std::move(readID);
  for (int p = 0; p < exam.questionCount; ++p) {
    std::optional<int> slot =
        p < static_cast<int>(printed.size()) ? printed[static_cast<size_t>(p)] : std::nullopt;
    sheet.marks.push_back(slot ? clearMark(exam.choiceCount, *slot)
                               : MarkRead::empty(exam.choiceCount));
    if (!slot)
      sheet.flags.push_back(markFlag(sheet, FlagKind::blank, p));
  }
  return sheet;
}

ReviewFlag sheetFlag(FlagKind kind, std::string note) {
  ReviewFlag flag;
  flag.id = Uuid::random();
  flag.kind = kind;
  flag.note = std::move(note);
  return flag;
}

ReviewFlag markFlag(const ScannedSheet &sheet, FlagKind kind, int position) {
  ReviewFlag flag = sheetFlag(kind, "flagged");
  flag.position = position;
  const MarkRead &mark = sheet.marks.at(static_cast<size_t>(position));
  flag.fills = mark.fills;
  flag.suggestion = mark.strongest;
  return flag;
}

} // namespace ovalon::fixtures
