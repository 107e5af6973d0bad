#include "model/Exam.h"

#include "model/Choices.h"

#include <algorithm>
#include <cctype>

namespace ovalon {

Exam Exam::make(Uuid id, std::string title, Date created, int questionCount, int choiceCount,
                int idDigits, Paper paper, std::optional<uint64_t> seed) {
  Exam exam;
  exam.id = id;
  exam.title = std::move(title);
  exam.created = created;
  exam.questionCount = std::clamp(questionCount, 1, maxQuestions);
  exam.choiceCount = std::clamp(choiceCount, 2, maxChoices);
  exam.idDigits = std::clamp(idDigits, 0, maxIDDigits);
  exam.paper = paper;
  exam.key.assign(static_cast<size_t>(exam.questionCount), QuestionKey{});
  exam.versions = {ExamVersion::master(exam.questionCount)};
  exam.seed = seed ? *seed : randomSeed();
  return exam;
}

Exam Exam::untitled() {
  return make(Uuid::random(), "Untitled Test", Date::now(), 20, 4, 6, Paper::letter);
}

LayoutSignature Exam::signature() const {
  return {questionCount, choiceCount, idDigits, paper};
}

std::string Exam::examCode() const {
  std::string code;
  for (char c : id.text()) {
    if (c == '-')
      continue;
    code += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (code.size() == 8)
      break;
  }
  return code;
}

int Exam::pageCount() const {
  return (questionCount + questionsPerPage - 1) / questionsPerPage;
}

double Exam::possiblePoints() const {
  double total = 0;
  for (const QuestionKey &k : key)
    if (!k.dropped)
      total += k.points;
  return total;
}

std::vector<int> Exam::unkeyedQuestions() const {
  std::vector<int> unkeyed;
  for (size_t q = 0; q < key.size(); ++q)
    if (key[q].correct.empty() && !key[q].dropped)
      unkeyed.push_back(static_cast<int>(q));
  return unkeyed;
}

const ExamVersion *Exam::version(int index) const {
  if (index < 0 || index >= static_cast<int>(versions.size()))
    return nullptr;
  return &versions[static_cast<size_t>(index)];
}

std::vector<std::set<int>> Exam::printedKey(int versionIndex) const {
  const ExamVersion *v = version(versionIndex);
  if (!v)
    return {};
  std::vector<std::set<int>> printed;
  printed.reserve(v->order.size());
  for (size_t p = 0; p < v->order.size(); ++p) {
    const auto &correct = key.at(static_cast<size_t>(v->order[p])).correct;
    std::set<int> slots;
    for (int s = 0; s < choiceCount; ++s)
      if (correct.contains(v->masterChoice(s, static_cast<int>(p))))
        slots.insert(s);
    printed.push_back(std::move(slots));
  }
  return printed;
}

void Exam::setQuestionCount(int count) {
  count = std::clamp(count, 1, maxQuestions);
  if (count == questionCount)
    return;
  questionCount = count;
  key.resize(static_cast<size_t>(count), QuestionKey{});
  regenerateVersions(static_cast<int>(versions.size()));
}

void Exam::setChoiceCount(int count) {
  count = std::clamp(count, 2, maxChoices);
  if (count == choiceCount)
    return;
  choiceCount = count;
  for (QuestionKey &k : key)
    std::erase_if(k.correct, [count](int c) { return c >= count; });
  regenerateVersions(static_cast<int>(versions.size()));
}

void Exam::setIDDigits(int digits) {
  idDigits = std::clamp(digits, 0, maxIDDigits);
}

void Exam::setShuffleChoices(bool shuffle) {
  if (shuffle == shuffleChoices)
    return;
  shuffleChoices = shuffle;
  regenerateVersions(static_cast<int>(versions.size()));
}

void Exam::reshuffle() {
  seed = randomSeed();
  regenerateVersions(static_cast<int>(versions.size()));
}

void Exam::setVersionCount(int count) {
  count = std::clamp(count, 1, maxVersions);
  if (static_cast<int>(versions.size()) > count)
    versions.resize(static_cast<size_t>(count));
  for (int letter = static_cast<int>(versions.size()); letter < count; ++letter)
    versions.push_back(
        ExamVersion::generate(letter, questionCount, choiceCount, shuffleChoices, seed));
}

void Exam::regenerateVersions(int count) {
  versions = {ExamVersion::master(questionCount)};
  for (int letter = 1; letter < count; ++letter)
    versions.push_back(
        ExamVersion::generate(letter, questionCount, choiceCount, shuffleChoices, seed));
}

void Exam::setKey(int question, std::set<int> correct, double points, bool dropped) {
  if (question < 0 || question >= questionCount)
    return;
  std::erase_if(correct, [this](int c) { return c < 0 || c >= choiceCount; });
  QuestionKey &k = key[static_cast<size_t>(question)];
  k.correct = std::move(correct);
  k.points = std::clamp(points, 0.0, 100.0);
  k.dropped = dropped;
}

void Exam::setAnswer(int question, std::optional<int> choice) {
  if (question < 0 || question >= questionCount)
    return;
  auto &correct = key[static_cast<size_t>(question)].correct;
  correct.clear();
  if (choice && *choice >= 0 && *choice < choiceCount)
    correct.insert(*choice);
}

int Exam::applyKeyText(std::string_view text, int startQuestion) {
  int q = startQuestion;
  int applied = 0;
  for (char c : text) {
    auto choice = Choices::index(std::string_view(&c, 1));
    if (!choice)
      continue;
    if (q >= questionCount)
      break;
    if (*choice < choiceCount && q >= 0) {
      key[static_cast<size_t>(q)].correct = {*choice};
      ++applied;
    }
    ++q;
  }
  return applied;
}

std::expected<void, ExamError> Exam::setOrder(const std::vector<int> &numbers, int versionIndex) {
  if (versionIndex <= 0 || versionIndex >= static_cast<int>(versions.size()))
    return std::unexpected(ExamError::versionA());
  std::vector<int> order;
  order.reserve(numbers.size());
  for (int n : numbers)
    order.push_back(n - 1);
  std::vector<int> sorted = order;
  std::ranges::sort(sorted);
  bool permutation = static_cast<int>(order.size()) == questionCount;
  for (size_t i = 0; permutation && i < sorted.size(); ++i)
    permutation = sorted[i] == static_cast<int>(i);
  if (!permutation)
    return std::unexpected(ExamError::notAPermutation(questionCount));
  versions[static_cast<size_t>(versionIndex)] = {versionIndex, std::move(order), {}};
  return {};
}

} // namespace ovalon
