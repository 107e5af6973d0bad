#pragma once

#include "grading/ItemNote.h"

#include <optional>
#include <set>
#include <vector>

namespace ovalon {

// How the class answered one master question. Counts and notes speak in master choices.
struct ItemStats {
  int question = 0; // master question index
  std::set<int> key;
  bool dropped = false;
  int count = 0; // sheets analysed
  int correctCount = 0;
  double p = 0;              // difficulty: share of sheets correct
  double discrimination = 0; // upper-group minus lower-group share correct
  std::optional<double> pointBiserial;
  std::vector<int> choiceCounts; // one per master choice
  int blankCount = 0;
  std::vector<ItemNote> notes;

  bool operator==(const ItemStats &) const = default;
};

} // namespace ovalon
