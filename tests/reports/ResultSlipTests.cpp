#include "library/ExamDocument.h"
#include "reports/DateText.h"
#include "reports/Reports.h"
#include "reports/ResultSlip.h"
#include "support/GradingFixtures.h"
#include "support/PdfText.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;
using testing::hasLine;
using testing::mentions;
using testing::pdfFacts;
using testing::pdfPageLines;
using Miss = ResultSlip::Miss;

constexpr int A = 0, B = 1, C = 2, D = 3;
const Date today = Date::fromUnixTime(1'780'142'400);

// A sheet whose blank rows are settled, so only the answers matter.
ScannedSheet settled(ScannedSheet sheet, int number = 1) {
  sheet.number = number;
  sheet.flags.clear();
  return sheet;
}

TEST(ResultSlip, listsWrongAndBlankAnswersInPrintedTermsButNeverDroppedQuestions) {
  Exam exam = examWithKey(5, 4, {A, B, C, D, A});
  exam.setKey(4, {A, C}, 2, false);
  exam.setKey(3, {D}, 1, true);
  ResultSlip slip = ResultSlip::make(settled(sheetAnswering(exam, {A, C, std::nullopt, B, B})),
                                     exam, "Ada Park", "1001");
  EXPECT_EQ(std::tie(slip.name, slip.studentID, slip.version, slip.showsVersion),
            std::make_tuple("Ada Park", "1001", "A", false));
  EXPECT_EQ(std::pair(slip.earned, slip.possible), std::pair(1.0, 5.0));
  EXPECT_EQ(slip.misses,
            (std::vector<Miss>{{2, "C", "B"}, {3, std::nullopt, "C"}, {5, "B", "A/C"}}));
  slip = ResultSlip::make(settled(sheetAnswering(exam, {A, B, C, A, C})), exam, "Sheet 1", "");
  EXPECT_TRUE(slip.misses.empty());
  EXPECT_EQ(slip.earned, 5);
  ScannedSheet unknown = settled(sheetAnswering(exam, {D, D, D, D, D}));
  unknown.version = 3;
  slip = ResultSlip::make(unknown, exam, "Sheet 1", "");
  EXPECT_EQ(slip.version, "?");
  EXPECT_TRUE(slip.misses.empty());
}

TEST(ResultSlip, shuffledVersionShowsTheNumbersAndLettersPrintedOnIt) {
  Exam exam = examWithKey(3, 4, {A, B, C});
  // Version B prints master Q3, Q1, Q2; row 1 holds master choices B C D A, row 3 D C B A.
  exam.versions.push_back(
      {1, {2, 0, 1}, std::vector<std::vector<int>>{{1, 2, 3, 0}, {0, 1, 2, 3}, {3, 2, 1, 0}}});
  const ResultSlip slip =
      ResultSlip::make(settled(sheetAnswering(exam, {A, A, D}, 1)), exam, "Ben Ode", "7");
  EXPECT_TRUE(slip.showsVersion);
  EXPECT_EQ(slip.version, "B");
  EXPECT_EQ(slip.earned, 1);
  EXPECT_EQ(slip.misses, (std::vector<Miss>{{1, "A", "B"}, {3, "D", "C"}}));
}

TEST(ResultSlip, allNamesSheetsAndKeepsTheGradebookOrder) {
  ExamDocument document = ExamDocument::make(examWithKey(2, 4, {A, B}));
  document.roster.students = {
      {"1001", "Carla", "Young"}, {"1002", "Ben", "Adams"}, {"1003", "Dana", "Moss"}};
  const Exam &exam = document.exam;
  document.sheets = {settled(sheetAnswering(exam, {A, B}, 0, "1001"), 1),
                     settled(sheetAnswering(exam, {A, A}, 0, "9999"), 2),
                     settled(sheetAnswering(exam, {A, B}, 0, ""), 3),
                     settled(sheetAnswering(exam, {B, B}, 0, "01002"), 4),
                     settled(sheetAnswering(exam, {B, A}, 0, "1003"), 5),
                     settled(sheetAnswering(exam, {A, A}, 0, "1001"), 6)};
  document.sheets[4].excluded = true;
  std::vector<std::string> names, ids;
  for (const ResultSlip &slip : ResultSlip::all(document.exam, document.roster, document.sheets)) {
    names.push_back(slip.name);
    ids.push_back(slip.studentID);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"Ben Adams", "Carla Young", "Carla Young", "Sheet 3",
                                             "Student 9999"}));
  EXPECT_EQ(ids, (std::vector<std::string>{"01002", "1001", "1001", "", "9999"}));
  EXPECT_EQ(ResultSlip::all(document.exam, document.roster, document.sheets)[1].earned,
            2); // sheet 1 before sheet 6
}

// The PDF -------------------------------------------------------------------------------------

ResultSlip slipFor(std::string name, std::vector<Miss> misses = {}) {
  ResultSlip slip;
  slip.name = std::move(name);
  slip.studentID = "1001";
  slip.version = "B";
  slip.earned = 7.5;
  slip.possible = 10;
  slip.misses = std::move(misses);
  slip.showsVersion = true;
  return slip;
}

Bytes slipsPDF(const std::vector<ResultSlip> &slips, SlipLayout layout, Exam exam = {}) {
  exam.title = "Unit Quiz";
  const std::optional<Bytes> pdf = Reports::slipsPDF(slips, exam, layout, today);
  EXPECT_TRUE(pdf.has_value());
  return pdf.value_or(Bytes{});
}

TEST(SlipsPDF, onePerPageShowsScoreDetailsMissesAndFooter) {
  std::vector<ResultSlip> slips{slipFor("Ada Park", {{3, std::nullopt, "C"}, {12, "B", "A/D"}}),
                                slipFor("Ben Ode"), slipFor("Sheet 4", {{1, "A", "B"}})};
  slips[2].studentID.clear();
  slips[2].showsVersion = false;
  const Bytes pdf = slipsPDF(slips, SlipLayout::onePerPage);
  const auto facts = pdfFacts(pdf);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 3);
  EXPECT_EQ(facts->title, "Unit Quiz Result Slips");
  EXPECT_EQ(facts->pageSize, (Size{612, 792}));

  const auto first = pdfPageLines(pdf, 0), second = pdfPageLines(pdf, 1);
  for (const std::string &line : std::vector<std::string>{
           "Unit Quiz", "Ada Park 75.0%", "7.5 of 10 points",
           "ID 1001 · Version B · " + DateText::abbreviated(today), "2 questions to look at again",
           "# Your answer Right answer", "Ovalon · Page 1 of 3"})
    EXPECT_TRUE(hasLine(first, line)) << line << ::testing::PrintToString(first);
  for (const char *line : {"Unit Quiz", "Every question right. Well done!", "Ovalon · Page 2 of 3"})
    EXPECT_TRUE(hasLine(second, line)) << line;
  EXPECT_TRUE(mentions(first, "3. blank C") && mentions(first, "12. B A/D"));
  EXPECT_FALSE(mentions(first, "Well done"));
  const auto third = pdfPageLines(pdf, 2);
  EXPECT_TRUE(hasLine(third, DateText::abbreviated(today)) &&
              hasLine(third, "1 question to look at again"));
  EXPECT_FALSE(mentions(third, "Version"));
  EXPECT_FALSE(mentions(second, "Your answer") || mentions(second, "look at again"));
}

TEST(SlipsPDF, tooManyMissesEndWithCountOfThoseNotShown) {
  std::vector<Miss> misses;
  for (int n = 1; n <= 200; ++n)
    misses.push_back({n, "A", "B"});
  const auto lines =
      pdfPageLines(slipsPDF({slipFor("Ada Park", misses)}, SlipLayout::onePerPage), 0);
  EXPECT_TRUE(hasLine(lines, "200 questions to look at again"));
  int shown = 0;
  for (int n = 1; n <= 200; ++n)
    shown += mentions(lines, std::to_string(n) + ". A B") ? 1 : 0;
  ASSERT_TRUE(shown > 20 && shown < 200) << shown;
  EXPECT_TRUE(mentions(lines, "+" + std::to_string(200 - shown)));
  EXPECT_TRUE(mentions(lines, std::to_string(shown) + ". A B"));
  EXPECT_FALSE(mentions(lines, std::to_string(shown + 1) + ". A B"));
}

TEST(SlipsPDF, fourPerPagePlacesSlipsInReadingOrder) {
  std::vector<ResultSlip> slips;
  for (int i = 1; i <= 9; ++i)
    slips.push_back(slipFor("Student Number " + std::to_string(i), {{i, "A", "C"}}));
  const Bytes pdf = slipsPDF(slips, SlipLayout::fourPerPage);
  ASSERT_EQ(pdfFacts(pdf)->pageCount, 3);
  for (int page = 0; page < 3; ++page) {
    const auto lines = pdfPageLines(pdf, page);
    EXPECT_FALSE(mentions(lines, "Ovalon · Page"));
    for (int i = 1; i <= 9; ++i)
      EXPECT_EQ(mentions(lines, "Student Number " + std::to_string(i)), (i - 1) / 4 == page) << i;
  }
}

} // namespace
} // namespace ovalon
