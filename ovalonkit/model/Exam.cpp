#include "model/Exam.h"

#include "model/Choices.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace ovalon {

namespace {

size_t characters(std::string_view text) {
  // UTF-8 continuation bytes don't start a character.
  return static_cast<size_t>(std::ranges::count_if(
      text, [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string clampedTitle(std::string title) {
  size_t count = 0;
  for (size_t i = 0; i < title.size(); ++i) {
    if ((static_cast<unsigned char>(title[i]) & 0xC0) == 0x80)
      continue;
    if (++count > Exam::maxTitleCharacters) {
      title.resize(i);
      break;
    }
  }
  return title;
}

bool isPermutation(const std::vector<int> &values, int count) {
  if (static_cast<int>(values.size()) != count)
    return false;
  std::vector<bool> seen(static_cast<size_t>(count), false);
  for (int v : values) {
    if (v < 0 || v >= count || seen[static_cast<size_t>(v)])
      return false;
    seen[static_cast<size_t>(v)] = true;
  }
  return true;
}

std::optional<std::string> versionProblem(const ExamVersion &version, size_t index,
                                          const Exam &exam) {
  const std::string name = "Version " + Choices::letter(static_cast<int>(index));
  if (version.letter != static_cast<int>(index))
    return name + " is stored as version " + std::to_string(version.letter) + ".";
  if (!isPermutation(version.order, exam.questionCount))
    return name + "\u2019s order isn\u2019t the questions 1 to " +
           std::to_string(exam.questionCount) + " each once.";
  if (index == 0) {
    if (version.choiceOrder || version.order != ExamVersion::master(exam.questionCount).order)
      return std::string("Version A isn\u2019t in master order.");
    return std::nullopt;
  }
  if (!version.choiceOrder)
    return std::nullopt;
  if (static_cast<int>(version.choiceOrder->size()) != exam.questionCount)
    return name + "\u2019s choice order doesn\u2019t have one entry per question.";
  for (const std::vector<int> &slots : *version.choiceOrder)
    if (!isPermutation(slots, exam.choiceCount))
      return name + "\u2019s choice order isn\u2019t the choices A to " +
             Choices::letter(exam.choiceCount - 1) + " each once.";
  return std::nullopt;
}

} // namespace

Exam Exam::make(Uuid id, std::string title, Date created, int questionCount, int choiceCount,
                int idDigits, Paper paper, std::optional<uint64_t> seed) {
  Exam exam;
  exam.id = id;
  exam.title = clampedTitle(std::move(title));
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

std::optional<std::string> Exam::brokenRule() const {
  if (questionCount < 1 || questionCount > maxQuestions)
    return "The test has " + std::to_string(questionCount) + " questions; it can have 1 to " +
           std::to_string(maxQuestions) + ".";
  if (choiceCount < 2 || choiceCount > maxChoices)
    return "The test has " + std::to_string(choiceCount) + " choices; it can have 2 to " +
           std::to_string(maxChoices) + ".";
  if (idDigits < 0 || idDigits > maxIDDigits)
    return "The test has " + std::to_string(idDigits) + " ID digits; it can have 0 to " +
           std::to_string(maxIDDigits) + ".";
  if (characters(title) > maxTitleCharacters)
    return "The title is longer than " + std::to_string(maxTitleCharacters) + " characters.";
  if (static_cast<int>(key.size()) != questionCount)
    return "The key has " + std::to_string(key.size()) + " answers for " +
           std::to_string(questionCount) + " questions.";
  for (size_t q = 0; q < key.size(); ++q) {
    const QuestionKey &k = key[q];
    if (!k.correct.empty() && (*k.correct.begin() < 0 || *k.correct.rbegin() >= choiceCount))
      return "Question " + std::to_string(q + 1) +
             "\u2019s key names a choice the test doesn\u2019t have.";
    if (!(k.points >= 0 && k.points <= 100)) {
      char points[32];
      std::snprintf(points, sizeof points, "%g", k.points);
      return "Question " + std::to_string(q + 1) + " is worth " + points +
             " points; a question is worth 0 to 100.";
    }
  }
  if (versions.empty() || static_cast<int>(versions.size()) > maxVersions)
    return "The test has " + std::to_string(versions.size()) + " versions; it can have 1 to " +
           std::to_string(maxVersions) + ".";
  for (size_t v = 0; v < versions.size(); ++v)
    if (auto problem = versionProblem(versions[v], v, *this))
      return problem;
  return std::nullopt;
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
