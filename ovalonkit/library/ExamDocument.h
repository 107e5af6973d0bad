#pragma once

#include "grading/ScanIssue.h"
#include "grading/ScannedSheet.h"
#include "model/Date.h"
#include "model/Exam.h"
#include "model/Roster.h"

#include <vector>

namespace ovalon {

// Everything known about one test; stored as one JSON file.
struct ExamDocument {
  Exam exam;
  Roster roster;
  std::vector<ScannedSheet> sheets;
  std::vector<ScanIssue> issues;
  Date modified;

  static ExamDocument make(Exam exam) { return {std::move(exam), {}, {}, {}, Date::now()}; }

  // Open flags on included sheets plus scan issues not dismissed: what Review still holds.
  int openItemCount() const {
    int open = 0;
    for (const ScannedSheet &sheet : sheets)
      open += static_cast<int>(sheet.openFlags().size());
    for (const ScanIssue &issue : issues)
      open += issue.dismissed ? 0 : 1;
    return open;
  }

  bool operator==(const ExamDocument &) const = default;
};

} // namespace ovalon
