#include "simulator/ScanSimulator.h"

#include "grading/Assembly.h"
#include "model/Exam.h"
#include "scanning/NameMatcher.h"
#include "scanning/PageReader.h"
#include "sheets/SheetLayout.h"
#include "simulator/SampleClass.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

namespace ovalon {
namespace {

constexpr double dpi = 150;

Exam makeExam(int questions, Paper paper = Paper::letter) {
  Exam exam = Exam::make(*Uuid::parse("0B7A31C2-5D64-4E8F-9A10-23B4C5D6E7F8"), "Cells", Date{},
                         questions, 4, 6, paper, 99);
  exam.setVersionCount(2);
  return exam;
}

SimulatedSheet sheetWith(int questions, std::map<int, int> answers = {}) {
  SimulatedSheet sheet;
  sheet.answers.assign(static_cast<size_t>(questions), std::nullopt);
  for (auto [position, choice] : answers)
    sheet.answers[static_cast<size_t>(position)] = choice;
  return sheet;
}

GrayImage imageOf(const GrayBitmap &bitmap) {
  return GrayImage(bitmap.width, bitmap.height, bitmap.pixels);
}

TEST(ScanSimulatorDrawing, theSameSheetAndSeedDrawTheSamePage) {
  const Exam exam = makeExam(20);
  SimulatedSheet sheet = sheetWith(20, {{0, 1}, {7, 3}});
  sheet.studentID = "123456";
  sheet.name = "Ruby Dalton";
  const GrayImage page = ScanSimulator::drawPage(exam, sheet, 1, dpi, 5);
  EXPECT_EQ(page.width, 1275);
  EXPECT_EQ(page.height, 1650);
  EXPECT_EQ(page, ScanSimulator::drawPage(exam, sheet, 1, dpi, 5));
  EXPECT_NE(page, ScanSimulator::drawPage(exam, sheet, 1, dpi, 6)); // the pencil wobbles
}

// The sample class's scan shows first pages; a later page has its own answers and
// neither name nor ID.
TEST(ScanSimulatorDrawing, laterPagesCarryTheirOwnAnswersOnly) {
  const Exam exam = makeExam(150);
  SimulatedSheet sheet = sheetWith(150, {{3, 1}, {120, 2}});
  sheet.studentID = "204517";
  sheet.name = "Hazel Quinn";
  const PageRead second = PageReader::read(ScanSimulator::drawPage(exam, sheet, 2, dpi, 3), exam);
  ASSERT_FALSE(second.problem);
  EXPECT_EQ(second.identity->page, 2);
  EXPECT_EQ(second.questions[20].mark.choice, 2);
  EXPECT_EQ(second.questions[0].mark.flag, MarkFlag::blank);
  EXPECT_FALSE(second.name);
}

TEST(ScanSimulatorDrawing, keySheetsArePrintedAsKeysForTheirVersion) {
  const Exam exam = makeExam(20);
  SimulatedSheet sheet = sheetWith(20);
  sheet.version = 1;
  for (bool isKey : {true, false}) {
    sheet.isKey = isKey;
    const auto found = PageReader::findCode(ScanSimulator::drawPage(exam, sheet, 1, dpi, 1));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->identity.isKey, isKey);
    EXPECT_EQ(found->identity.version, 1);
    EXPECT_EQ(found->identity.examCode, exam.examCode());
  }
}

class ScannerDistortion : public ::testing::TestWithParam<ScanDistortion> {};

// Whatever the scanner does, the page keeps its frame (turned with a quarter turn) and reads
// as it was bubbled.
TEST_P(ScannerDistortion, scannedPageReadsAsBubbled) {
  const ScanDistortion &distortion = GetParam();
  const Exam exam = makeExam(30, distortion.paper < 250 ? Paper::a4 : Paper::letter);
  const Size paper = SheetLayout(exam).pageSize;
  const SimulatedSheet sheet = sheetWith(30, {{0, 3}, {4, 2}, {17, 0}, {29, 1}});
  const GrayImage scan = ScanSimulator::scanned(
      ScanSimulator::drawPage(exam, sheet, 1, dpi, distortion.seed), paper, distortion, dpi);
  const bool turned = std::lround(distortion.rotation / 90) % 2 != 0;
  EXPECT_EQ(scan.width, std::lround((turned ? paper.height : paper.width) * dpi / 72));
  EXPECT_EQ(scan.height, std::lround((turned ? paper.width : paper.height) * dpi / 72));
  const PageRead read = PageReader::read(scan, exam);
  ASSERT_FALSE(read.problem) << read.problem->title();
  for (const QuestionRead &row : read.questions)
    EXPECT_EQ(row.mark.choice, sheet.answers[static_cast<size_t>(row.position)]) << row.position;
}

INSTANTIATE_TEST_SUITE_P(
    Scans, ScannerDistortion,
    ::testing::Values(ScanDistortion{}, ScanDistortion{1.2, 0.004, 0.99, {4, -3}, 6, 40, 244, 17},
                      ScanDistortion{-0.9, -0.006, 1.01, {-5, 5}, 8, 60, 236, 29},
                      ScanDistortion{180.6, 0.002, 0.985, {2, 2}, 5, 20, 250, 3},
                      ScanDistortion{90, 0, 1, {0, 0}, 4, 0, 255, 8},
                      ScanDistortion{-89.5, 0.003, 0.98, {-3, 6}, 6, 30, 240, 12}));

TEST(ScanPDF, onePageOfEightBitGrayPerImageAtTheFirstImagesSize) {
  EXPECT_EQ(ScanSimulator::scanPDF({}), std::nullopt);
  const Exam exam = makeExam(120);
  std::vector<SimulatedSheet> sheets{sheetWith(120), sheetWith(120)};
  sheets[1].version = 1;
  const std::vector<ScanDistortion> distortions{{0.5, 0, 1, {}, 5, 10, 245, 1},
                                                {-0.7, 0.002, 1, {}, 5, 10, 245, 2}};
  const auto pages = ScanSimulator::scanPages(exam, sheets, distortions);
  ASSERT_EQ(pages.size(), 4u);
  const auto pdf = ScanSimulator::scanPDF(pages);
  ASSERT_TRUE(pdf);
  const auto facts = testing::pdfFacts(*pdf);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 4);
  EXPECT_EQ(facts->title, "Scan");
  EXPECT_EQ(facts->creator, "Ovalon");
  EXPECT_NEAR(facts->pageSize.width, 612, 0.3);
  EXPECT_NEAR(facts->pageSize.height, 792, 0.3);
  // Drawn page by page, the same pages.
  const auto streamed = ScanSimulator::scan(exam, sheets, distortions);
  ASSERT_TRUE(streamed);
  EXPECT_EQ(testing::pdfFacts(*streamed)->pageCount, 4);
  EXPECT_EQ(testing::renderPdfPage(*streamed, 3, 100), testing::renderPdfPage(*pdf, 3, 100));
  // Rendered the way scan intake renders, each page reads with its version and page.
  for (int index : {0, 3}) {
    const auto rendered = testing::renderPdfPage(*pdf, index, 200);
    ASSERT_TRUE(rendered);
    const PageRead read = PageReader::read(imageOf(*rendered), exam);
    ASSERT_FALSE(read.problem) << index;
    EXPECT_EQ(read.identity->version, index / 2);
    EXPECT_EQ(read.identity->page, index % 2 + 1);
  }
}

// Every mark of the sample class's scan reads as drawn, and the built-in irregularities are
// exactly the doubtful rows.
TEST(SampleClassScan, readsWithTheIrregularitiesWhereTheyWereDrawn) {
  const Exam exam = SampleClass::exam(Date{});
  const auto pdf = SampleClass::scanPDF(exam, SampleClass::roster());
  ASSERT_TRUE(pdf);
  const auto facts = testing::pdfFacts(*pdf);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 26);
  EXPECT_EQ(facts->title, "Scan");
  EXPECT_NEAR(facts->pageSize.width, 612, 0.3);

  const auto sheets = SampleClass::sampleSheets(exam, SampleClass::roster());
  const std::map<std::pair<int, int>, MarkFlag> doubtful{{{2, 5}, MarkFlag::faint},
                                                         {{6, 12}, MarkFlag::double_},
                                                         {{10, 20}, MarkFlag::blank},
                                                         {{18, 3}, MarkFlag::double_}};
  for (int index : {0, 2, 6, 10, 14, 18, 21, 23}) {
    SCOPED_TRACE(index);
    const SimulatedSheet &sheet = sheets[static_cast<size_t>(index)];
    const auto rendered = testing::renderPdfPage(*pdf, index, 200);
    ASSERT_TRUE(rendered);
    const PageRead read = PageReader::read(imageOf(*rendered), exam);
    ASSERT_FALSE(read.problem);
    EXPECT_EQ(read.identity->version, sheet.version);
    ASSERT_EQ(read.questions.size(), 30u);
    for (int position = 0; position < 30; ++position) {
      SCOPED_TRACE(position);
      const MarkRead &mark = read.questions[static_cast<size_t>(position)].mark;
      if (auto flag = doubtful.find({index, position}); flag != doubtful.end())
        EXPECT_EQ(mark.flag, flag->second);
      else if (index == 14 && position == 8) // the check mark
        EXPECT_TRUE(mark.flag.has_value()) << ::testing::PrintToString(mark.fills);
      else
        EXPECT_EQ(mark.choice, sheet.answers[static_cast<size_t>(position)]);
    }
    const std::string id = Assembly::readID(read.idColumns);
    if (index == 23) // bubbled lightly
      EXPECT_TRUE(std::ranges::any_of(read.idColumns, [](const MarkRead &c) {
        return c.flag.has_value();
      })) << id;
    else
      EXPECT_EQ(id, sheet.studentID);
    const auto matches = NameMatcher::match(read.name, SampleClass::roster().students, 3);
    ASSERT_FALSE(matches.empty());
    EXPECT_EQ(std::optional(matches[0].student.name()), sheet.name) << read.name->text;
  }
}

} // namespace
} // namespace ovalon
