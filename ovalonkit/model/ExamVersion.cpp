#include "model/ExamVersion.h"

#include "model/SplitMix64.h"

#include <algorithm>
#include <numeric>

namespace ovalon {

namespace {

std::vector<int> identity(int count) {
  std::vector<int> values(static_cast<size_t>(std::max(count, 0)));
  std::iota(values.begin(), values.end(), 0);
  return values;
}

int fixedPoints(const std::vector<int> &order) {
  int count = 0;
  for (size_t p = 0; p < order.size(); ++p)
    count += order[p] == static_cast<int>(p);
  return count;
}

} // namespace

ExamVersion ExamVersion::master(int questionCount) {
  return {0, identity(questionCount), {}};
}

ExamVersion ExamVersion::generate(int letter, int questionCount, int choiceCount,
                                  bool shuffleChoices, uint64_t seed) {
  SplitMix64 rng{seed + static_cast<uint64_t>(letter) * SplitMix64::golden};
  std::vector<int> order = identity(questionCount);
  rng.shuffle(order);
  // Too many questions left in place would make the version look unshuffled.
  if (questionCount >= 4) {
    for (int extra = 0; extra < 8 && fixedPoints(order) > questionCount / 3; ++extra)
      rng.shuffle(order);
  }
  ExamVersion version{letter, std::move(order), {}};
  if (shuffleChoices) {
    std::vector<std::vector<int>> choices;
    choices.reserve(static_cast<size_t>(questionCount));
    for (int p = 0; p < questionCount; ++p) {
      std::vector<int> perm = identity(choiceCount);
      rng.shuffle(perm);
      choices.push_back(std::move(perm));
    }
    version.choiceOrder = std::move(choices);
  }
  return version;
}

int ExamVersion::question(int position) const {
  return order.at(static_cast<size_t>(position));
}

int ExamVersion::position(int question) const {
  auto found = std::ranges::find(order, question);
  return found == order.end() ? 0 : static_cast<int>(found - order.begin());
}

int ExamVersion::masterChoice(int slot, int position) const {
  if (!choiceOrder || position < 0 || position >= static_cast<int>(choiceOrder->size()))
    return slot;
  const auto &slots = (*choiceOrder)[static_cast<size_t>(position)];
  if (slot < 0 || slot >= static_cast<int>(slots.size()))
    return slot;
  return slots[static_cast<size_t>(slot)];
}

int ExamVersion::printedChoice(int choice, int position) const {
  if (!choiceOrder || position < 0 || position >= static_cast<int>(choiceOrder->size()))
    return choice;
  const auto &slots = (*choiceOrder)[static_cast<size_t>(position)];
  auto found = std::ranges::find(slots, choice);
  return found == slots.end() ? choice : static_cast<int>(found - slots.begin());
}

} // namespace ovalon
