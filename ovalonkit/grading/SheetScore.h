#pragma once

#include <optional>
#include <vector>

namespace ovalon {

// The score of one sheet against the current key; computed on demand, never stored.
struct SheetScore {
  double earned = 0;   // points of the questions answered correctly
  double possible = 0; // points of the questions that count (keyed, not dropped)
  std::vector<std::optional<int>> responses; // master choice per master question
  std::vector<std::optional<bool>> correct;  // per master question; absent when it doesn't count
  bool provisional = false;                  // the sheet still has open flags

  // earned ÷ possible × 100; 0 when nothing is possible.
  double percent() const { return possible > 0 ? earned / possible * 100 : 0; }

  bool operator==(const SheetScore &) const = default;
};

} // namespace ovalon
