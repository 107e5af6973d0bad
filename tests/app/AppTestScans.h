#pragma once

#include "ScriptedPanels.h"

#include "library/ExamDocument.h"
#include "model/AppModel.h"
#include "simulator/SimulatedSheet.h"
#include "support/TempDir.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// Small simulated scans for the application model's tests: a few pages each, since the
// suite runs twice on two cores.
namespace ovalon::testing {

// A keyed 10-question test with 4-digit IDs and three roster students (1001 to 1003).
ExamDocument quizDocument();

// A test saved in a fresh library (the quiz unless given), and the model over it, its
// choosers answered by `panels`.
struct QuizModel {
  TempDir dir;
  ExamDocument doc;
  ScriptedPanels panels;
  std::unique_ptr<AppModel> model;

  explicit QuizModel(ExamDocument document = quizDocument());
  const ExamDocument &current() const { return *model->document(doc.exam.id); }
};

// A filled-in sheet: `answers` per printed position on version A, the ID bubbled.
SimulatedSheet filledSheet(const std::vector<std::optional<int>> &answers, std::string studentID);

// The test's key bubbled on an answer-key sheet.
SimulatedSheet keySheet(const Exam &exam, const std::vector<int> &answers);

// The sheets scanned into a PDF at `path`, slightly tilted and noisy.
void writeScan(const std::filesystem::path &path, const Exam &exam,
               const std::vector<SimulatedSheet> &sheets);

// A photo (PNG) of page 1 of `exam`, answered at position mod 4 on every row, whose code
// is smudged past reading: it comes in as an unread page.
Bytes smudgedCodePhoto(const Exam &exam);

// A page of `source` whose code could not be read.
ScanIssue unreadPage(std::string source, int sourcePage);

// Waits (running the event loop) until no background job holds the model.
bool waitUntilIdle(AppModel &model);

// Waits past the debounced save.
void waitForSaves();

// The document as the library has it on disk.
std::optional<ExamDocument> storedDocument(const ExamLibrary &library, const Uuid &examID);

} // namespace ovalon::testing
