#include "AppTestScans.h"

#include "scanning/ImageCodecs.h"
#include "sheets/SheetLayout.h"
#include "simulator/ScanSimulator.h"
#include "support/ScannedPdf.h"
#include "support/TestSheetPage.h"

#include <QTest>

#include <gtest/gtest.h>

namespace ovalon::testing {

ExamDocument quizDocument() {
  ExamDocument doc = ExamDocument::make(
      Exam::make(Uuid::random(), "Quiz", Date::now(), 10, 4, 4, Paper::letter, 11));
  doc.exam.applyKeyText("ABCDA BCDAB", 0);
  doc.roster.students = {
      {"1001", "Ada", "Lovelace"}, {"1002", "Alan", "Turing"}, {"1003", "Grace", "Hopper"}};
  return doc;
}

QuizModel::QuizModel(ExamDocument document) : doc(std::move(document)) {
  ExamLibrary library{dir / "Library"};
  EXPECT_TRUE(library.save(doc));
  model = std::make_unique<AppModel>(library);
  model->setPanels(&panels);
}

SimulatedSheet filledSheet(const std::vector<std::optional<int>> &answers, std::string studentID) {
  SimulatedSheet sheet;
  sheet.answers = answers;
  sheet.studentID = std::move(studentID);
  return sheet;
}

SimulatedSheet keySheet(const Exam &exam, const std::vector<int> &answers) {
  SimulatedSheet sheet;
  sheet.isKey = true;
  sheet.answers.assign(answers.begin(), answers.begin() + exam.questionCount);
  return sheet;
}

void writeScan(const std::filesystem::path &path, const Exam &exam,
               const std::vector<SimulatedSheet> &sheets) {
  ScanDistortion distortion;
  distortion.rotation = 0.6;
  distortion.offset = {4, -3};
  distortion.noise = 6;
  distortion.seed = 5;
  auto pdf = ScanSimulator::scan(exam, sheets, {distortion});
  ASSERT_TRUE(pdf);
  writeBytes(path, *pdf);
}

Bytes smudgedCodePhoto(const Exam &exam) {
  SheetLayout layout(exam.signature());
  std::vector<PencilMark> marks;
  for (int position = 0; position < exam.questionCount; ++position)
    marks.push_back(answerMark(layout, position, position % 4));
  Rect code = layout.codeRect();
  marks.push_back({{code.x + code.width / 2, code.y + code.height / 2}, 120, 120, 0.35});
  return ImageCodecs::encodePng(renderSheetPage(exam, 1, 150, marks, 1)).value_or(Bytes{});
}

bool waitUntilIdle(AppModel &model) {
  return QTest::qWaitFor([&] { return !model.isBusy(); }, 300'000);
}

void waitForSaves() {
  QTest::qWait(AppModel::saveDelayMilliseconds + 400);
}

std::optional<ExamDocument> storedDocument(const ExamLibrary &library, const Uuid &examID) {
  auto loaded = library.load(examID);
  return loaded ? std::optional(loaded->document) : std::nullopt;
}

ScanIssue unreadPage(std::string source, int sourcePage) {
  ScanIssue issue;
  issue.id = Uuid::random();
  issue.source = std::move(source);
  issue.sourcePage = sourcePage;
  issue.problem = PageProblem::noCode();
  return issue;
}

} // namespace ovalon::testing
