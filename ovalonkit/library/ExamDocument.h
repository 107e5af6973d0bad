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

  bool operator==(const ExamDocument &) const = default;
};

} // namespace ovalon
