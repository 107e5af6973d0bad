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

// Small simulated scans (a few pages each) for the application model's tests.
namespace ovalon::testing {

// A keyed 10-question test with 4-digit IDs and three roster students (1001 to 1003).
ExamDocument quizDocument();

// A test saved in a fresh library, and the model over it, its choosers answered by `panels`.
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

SimulatedSheet keySheet(const Exam &exam, const std::vector<int> &answers);

void writeScan(const std::filesystem::path &path, const Exam &exam,
               const std::vector<SimulatedSheet> &sheets);

// A photo (PNG) of page 1, answered at position mod 4, its code smudged past reading.
Bytes smudgedCodePhoto(const Exam &exam);

ScanIssue unreadPage(std::string source, int sourcePage);

bool waitUntilIdle(AppModel &model);

void waitForSaves();

std::optional<ExamDocument> storedDocument(const ExamLibrary &library, const Uuid &examID);

} // namespace ovalon::testing
