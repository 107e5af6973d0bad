#pragma once

#include "grading/ScannedSheet.h"
#include "library/ExamDocument.h"

#include <vector>

namespace ovalon {

// The sheets one operation changed, kept as a change that can be applied again to
// a newer copy of the test (one changed by another program meanwhile) without
// undoing what else happened there.
struct SheetPatch {
  std::vector<ScannedSheet> sheets;

  // The sheets of `after` that are new or differ from their namesake in `before`.
  static SheetPatch between(const std::vector<ScannedSheet> &before,
                            const std::vector<ScannedSheet> &after);
  // Each sheet takes the place of the one with its id, or comes last when there is none.
  void applyTo(ExamDocument &document) const;
};

} // namespace ovalon
