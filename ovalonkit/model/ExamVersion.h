#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace ovalon {

// One printed version: which master question sits at each printed position and,
// when choices are shuffled, which master choice sits in each bubble slot.
struct ExamVersion {
  int letter = 0;         // 0…3, A to D
  std::vector<int> order; // order[p] = master question printed at position p
  std::optional<std::vector<std::vector<int>>> choiceOrder; // [p][slot] = master choice

  // Version A: identity order, choices unshuffled.
  static ExamVersion master(int questionCount);

  // A shuffled version drawn from the test's seed; reproducible.
  static ExamVersion generate(int letter, int questionCount, int choiceCount, bool shuffleChoices,
                              uint64_t seed);

  int question(int position) const;
  int position(int question) const;
  int masterChoice(int slot, int position) const;
  int printedChoice(int choice, int position) const;

  bool operator==(const ExamVersion &) const = default;
};

} // namespace ovalon
