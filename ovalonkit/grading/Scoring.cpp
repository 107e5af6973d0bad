#include "grading/Scoring.h"

#include <algorithm>

namespace ovalon::Scoring {

std::vector<std::optional<int>> responses(const ScannedSheet &sheet, const Exam &exam) {
  const int questionCount = std::max(exam.questionCount, 0);
  std::vector<std::optional<int>> result(static_cast<size_t>(questionCount));
  const ExamVersion *version = exam.version(sheet.version);
  if (!version)
    return result;
  const std::vector<std::optional<int>> answers = sheet.answers();
  const int positions = std::min(
      {static_cast<int>(answers.size()), questionCount, static_cast<int>(version->order.size())});
  for (int p = 0; p < positions; ++p) {
    const std::optional<int> slot = answers[static_cast<size_t>(p)];
    if (!slot)
      continue;
    const int question = version->order[static_cast<size_t>(p)];
    if (question < 0 || question >= questionCount)
      continue;
    // masterChoice keeps the slot itself when choices are not shuffled or it is off the row.
    result[static_cast<size_t>(question)] = version->masterChoice(*slot, p);
  }
  return result;
}

SheetScore score(const ScannedSheet &sheet, const Exam &exam) {
  SheetScore result;
  result.responses = responses(sheet, exam);
  result.correct.resize(exam.key.size());
  for (size_t q = 0; q < exam.key.size(); ++q) {
    const QuestionKey &key = exam.key[q];
    if (key.dropped || key.correct.empty())
      continue;
    result.possible += key.points;
    const std::optional<int> response =
        q < result.responses.size() ? result.responses[q] : std::nullopt;
    const bool right = response && key.correct.contains(*response);
    result.correct[q] = right;
    if (right)
      result.earned += key.points;
  }
  result.provisional = !sheet.openFlags().empty();
  return result;
}

} // namespace ovalon::Scoring
