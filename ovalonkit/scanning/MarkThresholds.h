#pragma once

namespace ovalon {

// The three levels that turn a row of normalised fills into a decision.
struct MarkThresholds {
  double mark = 0.5;    // a fill at or above this counts as a mark
  double faint = 0.2;   // a fill below this counts as empty
  double margin = 0.35; // least lead of the strongest fill over a runner-up at or above faint

  bool operator==(const MarkThresholds &) const = default;
};

} // namespace ovalon
