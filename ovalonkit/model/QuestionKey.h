#pragma once

#include <set>

namespace ovalon {

// The key of one master question.
struct QuestionKey {
  std::set<int> correct; // accepted choice indices; empty means not keyed yet
  double points = 1.0;   // 0…100
  bool dropped = false;  // left out of scoring

  bool operator==(const QuestionKey &) const = default;
};

} // namespace ovalon
