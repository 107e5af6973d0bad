#pragma once

#include "grading/Assembly.h"
#include "grading/AssemblyResult.h"
#include "library/ExamDocument.h"
#include "scanning/PageOutcome.h"
#include "scanning/ScannedKey.h"
#include "workflow/ScanSource.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

namespace ovalon {
class ImageStaging;
}

// A grading run: scans read into pages without touching the test, then
// completed against the test's current document and merged into it.
//
// Read first, outside any lock (it takes long). Then complete and apply inside
// ExamLibrary::update, against the document as it is on disk at that moment,
// so that sheet numbers, duplicate IDs and pages already graded are judged
// against everything saved meanwhile, by this program or another.
namespace ovalon::GradingRun {

// Pages read from every source, and one sentence per source that could not be read.
struct Reading {
  std::vector<PageOutcome> outcomes;
  std::vector<PageOrigin> origins; // one per outcome: its stored picture, its file's digest
  std::vector<std::string> errors;
  std::optional<std::string> pictureError; // set when a picture couldn't be staged
};

// What a finished run adds to the document and tells the teacher.
struct Result {
  AssemblyResult assembly;
  std::optional<ScannedKey> key;          // a bubbled answer key found in the scan
  std::string title;                      // "Graded 24 sheets"
  std::string detail;                     // sentences joined with line breaks
  std::optional<std::string> gradingNote; // the report carried by the key check
  int skippedPages = 0;                   // pages the test already held
};

using Progress = std::function<void(int done, int total)>;

// "“scan.pdf”", "3 files", or the name a set of photos goes by.
std::string scanName(const std::vector<ScanSource> &sources);

// Why a scan file can't be read at all ("“x.pdf” doesn’t exist.", "… is a
// folder."), checked before any page is read; nothing when it can be tried.
std::optional<std::string> unopenable(const std::filesystem::path &path);

// Reads every source in order, image files one after another as one run so that
// photos are read side by side; stops between sources, and within a run stops
// starting pages, when asked to. Given
// `pictures`, each page's picture is written there as soon as the page is read
// instead of being kept in memory: what a run of thousands of pages needs.
Reading read(const std::vector<ScanSource> &sources, const Exam &exam, const Progress &progress,
             std::stop_token stop = {}, ImageStaging *pictures = nullptr);

// Sets bubbled key pages aside, leaves out pages the document already holds
// (the same file's same page) unless `again`, assembles the rest against the
// document and words the report. The reading's pictures and crops move into
// the result.
Result complete(Reading &&reading, const ExamDocument &document, bool again = false);
Result complete(const Reading &reading, const ExamDocument &document, bool again = false);

// Appends the run's sheets and issues to the document.
void apply(const Result &result, ExamDocument &document);
void apply(Result &&result, ExamDocument &document);

} // namespace ovalon::GradingRun
