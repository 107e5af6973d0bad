#pragma once

#include "model/TextCompare.h"

#include <algorithm>
#include <vector>

namespace ovalon {

// The order every class list goes out in (gradebook rows, result slips): sheets
// matched to a roster student first, then by name as people sort names (numbers
// by value), then by sheet number. `Entry` has `matched`, `sortName` and `number`.
template <typename Entry> void sortAsClassList(std::vector<Entry> &entries) {
  std::ranges::stable_sort(entries, [](const Entry &a, const Entry &b) {
    if (a.matched != b.matched)
      return a.matched;
    const auto byName = TextCompare::localizedStandardCompare(a.sortName, b.sortName);
    if (byName != 0)
      return byName < 0;
    return a.number < b.number;
  });
}

} // namespace ovalon
