#include "workflow/KeyCheck.h"

#include <algorithm>

namespace ovalon::KeyCheck {

std::vector<std::optional<int>> cleanAnswers(const ScannedKey &key, const Exam &exam) {
  std::vector<std::optional<int>> answers(static_cast<size_t>(exam.questionCount));
  for (const KeyRead &read : key.answers)
    if (read.question >= 0 && read.question < exam.questionCount)
      answers[static_cast<size_t>(read.question)] = read.choice;
  return answers;
}

int applyKey(Exam &exam, const std::vector<std::optional<int>> &answers) {
  int changed = 0;
  const size_t questions = std::min(answers.size(), exam.key.size());
  for (size_t q = 0; q < questions; ++q) {
    const std::optional<int> &answer = answers[q];
    if (!answer || *answer < 0 || *answer >= exam.choiceCount)
      continue;
    std::set<int> &correct = exam.key[q].correct;
    if (correct.contains(*answer))
      continue;
    correct = {*answer};
    ++changed;
  }
  return changed;
}

} // namespace ovalon::KeyCheck
