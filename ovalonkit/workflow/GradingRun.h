#pragma once

#include "grading/AssemblyResult.h"
#include "library/ExamDocument.h"
#include "scanning/PageOutcome.h"
#include "scanning/ScannedKey.h"
#include "workflow/ScanSource.h"

#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace ovalon::GradingRun {

// Pages read from every source, and one sentence per source that could not be read.
struct Reading {
  std::vector<PageOutcome> outcomes;
  std::vector<std::string> errors;
};

// What a finished run adds to the document and tells the teacher.
struct Result {
  AssemblyResult assembly;
  std::optional<ScannedKey> key;          // a bubbled answer key found in the scan
  std::string title;                      // "Graded 24 sheets"
  std::string detail;                     // sentences joined with line breaks
  std::optional<std::string> gradingNote; // the report carried by the key check
};

using Progress = std::function<void(int done, int total)>;

// "“scan.pdf”", "3 files", or the name of a set of images.
std::string scanName(const std::vector<ScanSource> &sources);

// Reads every source in order; stops between sources when asked to.
Reading read(const std::vector<ScanSource> &sources, const Exam &exam, const Progress &progress,
             std::stop_token stop = {});

// Sets bubbled key pages aside, assembles the student pages against the
// document and words the report.
Result complete(const Reading &reading, const ExamDocument &document);

// Appends the run's sheets and issues to the document.
void apply(const Result &result, ExamDocument &document);

} // namespace ovalon::GradingRun
