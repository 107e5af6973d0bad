#pragma once

#include "model/Date.h"
#include "model/ExamError.h"
#include "model/ExamVersion.h"
#include "model/LayoutSignature.h"
#include "model/Paper.h"
#include "model/QuestionKey.h"
#include "model/Uuid.h"

#include <expected>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace ovalon {

// One multiple-choice test: its layout, key and printed versions. Every
// mutation keeps the key as long as the test and the versions in step with
// the settings they are drawn from.
struct Exam {
  static constexpr int maxQuestions = 200;
  static constexpr int maxChoices = 5;
  static constexpr int maxIDDigits = 10;
  static constexpr int maxVersions = 4;
  static constexpr int questionsPerPage = 100;
  // Longer titles can't be printed or shown whole anyway; the bound keeps a
  // damaged document from stalling every screen that measures the title.
  static constexpr size_t maxTitleCharacters = 1000;

  Uuid id;
  std::string title;
  Date created;
  int questionCount = 20;
  int choiceCount = 4;
  int idDigits = 6;
  Paper paper = Paper::letter;
  std::vector<QuestionKey> key;
  std::vector<ExamVersion> versions;
  bool shuffleChoices = false;
  uint64_t seed = 0;

  // Clamps the counts and the title's length, builds the default key and
  // version A; draws a random seed unless one is given.
  static Exam make(Uuid id, std::string title, Date created, int questionCount, int choiceCount,
                   int idDigits, Paper paper, std::optional<uint64_t> seed = std::nullopt);

  // What the application creates: "Untitled Test", 20 questions, A–D, 6-digit ID, US Letter.
  static Exam untitled();

  // Derived values.
  LayoutSignature signature() const;
  std::string examCode() const;
  int pageCount() const;
  double possiblePoints() const;
  std::vector<int> unkeyedQuestions() const;
  const ExamVersion *version(int index) const;
  std::vector<std::set<int>> printedKey(int version) const;

  // The first rule this test breaks, as a sentence, or nothing when it keeps
  // them all: counts in range, one key per question with choices of this test
  // and points from 0 to 100, version A in master order, every other version a
  // permutation (and its choice order one per position), a title of at most
  // maxTitleCharacters. Every mutation keeps these; a document read from disk
  // is checked against them before anything uses it.
  std::optional<std::string> brokenRule() const;

  // Mutations; out-of-range settings are clamped, out-of-range questions ignored.
  void setQuestionCount(int count);
  void setChoiceCount(int count);
  void setIDDigits(int digits);
  void setShuffleChoices(bool shuffle);
  void reshuffle();
  void setVersionCount(int count);
  void regenerateVersions(int count);
  void setKey(int question, std::set<int> correct, double points, bool dropped);
  void setAnswer(int question, std::optional<int> choice);
  int applyKeyText(std::string_view text, int startQuestion);
  std::expected<void, ExamError> setOrder(const std::vector<int> &numbers, int version);

  bool operator==(const Exam &) const = default;
};

} // namespace ovalon
