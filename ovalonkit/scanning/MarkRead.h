#pragma once

#include "scanning/MarkFlag.h"

#include <optional>
#include <vector>

namespace ovalon {

// The reading of one bubble row: a question's choices or one ID digit column.
// Exactly one of `choice` and `flag` is present.
struct MarkRead {
  std::vector<double> fills; // normalised fill per bubble in printed order, 0…1.5
  std::optional<int> choice; // the answer, only for a clean row
  std::optional<MarkFlag> flag;
  std::optional<int> strongest; // darkest bubble; absent when blank

  // What stands in for a row on a page that was never scanned.
  static MarkRead empty(int bubbles) {
    return {std::vector<double>(static_cast<size_t>(bubbles), 0.0), std::nullopt,
            MarkFlag::blank, std::nullopt};
  }

  bool operator==(const MarkRead &) const = default;
};

} // namespace ovalon
