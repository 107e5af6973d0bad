#pragma once

#include "grading/ExamSummary.h"
#include "grading/ItemStats.h"
#include "grading/ScannedSheet.h"
#include "model/Exam.h"

#include <vector>

namespace ovalon {

// Per master question, how the class answered and how well the question separated stronger
// from weaker students, plus the score distribution. Excluded sheets take no part.
struct ItemAnalysis {
  ExamSummary summary;
  std::vector<ItemStats> items; // one per key entry, in master order

  static ItemAnalysis analyze(const Exam &exam, const std::vector<ScannedSheet> &sheets);

  bool operator==(const ItemAnalysis &) const = default;
};

} // namespace ovalon
