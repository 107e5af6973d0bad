#include "reports/DateText.h"
#include "reports/Reports.h"
#include "support/GradingFixtures.h"
#include "support/PdfText.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;
using testing::hasLine;
using testing::mentions;
using testing::pdfFacts;
using testing::pdfPageLines;

constexpr int A = 0, B = 1, C = 2;
const Date today = Date::fromUnixTime(1'780'000'000); // a fixed noon-ish day in 2026

Bytes itemReport(const Exam &exam, const std::vector<ScannedSheet> &sheets = {}) {
  std::optional<Bytes> pdf =
      Reports::itemAnalysisPDF(exam, ItemAnalysis::analyze(exam, sheets), today);
  EXPECT_TRUE(pdf.has_value());
  return pdf.value_or(Bytes{});
}

ItemStats item(int question, std::set<int> key, double p, double discrimination,
               std::vector<int> choiceCounts, int blank, std::vector<ItemNote> notes = {}) {
  ItemStats stats;
  stats.question = question;
  stats.key = std::move(key);
  stats.p = p;
  stats.discrimination = discrimination;
  stats.choiceCounts = std::move(choiceCounts);
  stats.blankCount = blank;
  stats.notes = std::move(notes);
  return stats;
}

TEST(ItemAnalysisReport, breaksPagesByRowsThatFitTheTestsPaper) {
  // The first page holds 22 one-line rows under the summary on US Letter, 24 on A4; later
  // pages 16 more. One row more than two pages hold starts a third.
  for (auto [paper, firstRows] : {std::pair{Paper::letter, 22}, {Paper::a4, 24}}) {
    const int items = 2 * firstRows + 17;
    Exam exam = examWithKey(items, 4, std::vector<int>(items, A));
    exam.paper = paper;
    const Bytes pdf = itemReport(exam);
    ASSERT_EQ(pdfFacts(pdf).value().pageCount, 3);
    const auto row = [](int n) { return std::to_string(n) + " A 0.0% 0.00 0 0 0 0 0"; };
    const std::vector<std::pair<int, int>> rows{
        {1, firstRows}, {firstRows + 1, items - 1}, {items, items}};
    for (int page = 0; page < 3; ++page) {
      const auto lines = pdfPageLines(pdf, page);
      const auto [first, last] = rows[static_cast<size_t>(page)];
      EXPECT_TRUE(hasLine(lines, row(first)) && hasLine(lines, row(last))) << page;
      EXPECT_FALSE(hasLine(lines, row(first - 1)) || hasLine(lines, row(last + 1))) << page;
      EXPECT_TRUE(hasLine(lines, "Ovalon · Page " + std::to_string(page + 1) + " of 3"));
      EXPECT_EQ(hasLine(lines, "Quiz: item analysis (continued)"), page > 0);
      EXPECT_EQ(hasLine(lines, "Score distribution"), page == 0);
    }
  }
}

TEST(ItemAnalysisReport, rowsShowKeyPercentDiscriminationCountsAndNotes) {
  Exam exam = examWithKey(4, 3, {A, B, C, A});
  ItemAnalysis analysis;
  analysis.summary = {.count = 15,
                      .mean = 71.26,
                      .median = 70,
                      .standardDeviation = 9.876,
                      .high = 100,
                      .low = 12.5,
                      .reliability = 0.815,
                      .versionMeans = {},
                      .versionCounts = {}};
  analysis.items = {
      item(0, {A, C}, 11.0 / 15, 0.5, {6, 4, 5}, 0, {ItemNote::strongDistractor(B)}),
      item(1, {B}, 0.2, -0.25, {7, 3, 5}, 0, {ItemNote::hard(), ItemNote::negative()}),
      item(2, {C}, 0.4, 0.126, {9, 0, 6}, 0, {ItemNote::unusedDistractor(B)}),
      item(3, {}, 0, 0, {0, 0, 0}, 15)};
  analysis.items[2].dropped = true;
  const std::optional<Bytes> pdf = Reports::itemAnalysisPDF(exam, analysis, today);
  ASSERT_TRUE(pdf);
  const auto lines = pdfPageLines(*pdf, 0);
  // A dropped question keeps its other cells.
  for (const std::string &line : std::vector<std::string>{
           "# Key % Right Discrim. A B C Blank Notes",
           "Item analysis · " + DateText::longStyle(today) + " · 15 sheets · 4 questions",
           "71.3% 70.0% 100.0% 12.5% 9.9 0.81",
           "1 A/C 73.3% 0.50 6 4 5 0 Top students chose B. Check the key",
           "2 B 20.0% -0.25 7 3 5 0 Hard: under 30% right; Lower scorers did better. Check the key",
           "3 C dropped 0.13 9 0 6 0 Nobody chose B", "4 — 0.0% 0.00 0 0 0 15"})
    EXPECT_TRUE(hasLine(lines, line)) << line << ::testing::PrintToString(lines);
}

TEST(ItemAnalysisReport, headerCountsSheetsAndVersionsWithTheirMeans) {
  Exam one = examWithKey(2, 4, {A, B});
  auto lines = pdfPageLines(itemReport(one, {sheetAnswering(one, {A, B})}), 0);
  for (const std::string &line :
       {"Item analysis · " + DateText::longStyle(today) + " · 1 sheet · 2 questions",
        std::string("100.0% 100.0% 100.0% 100.0% 0.0 —")})
    EXPECT_TRUE(hasLine(lines, line)) << line;
  Exam exam = examWithKey(4, 4, {A, B, C, A});
  exam.setVersionCount(3);
  std::vector<ScannedSheet> sheets{sheetAnswering(exam, {A, B, C, A}, 0),
                                   sheetAnswering(exam, {B, B, B, B}, 0)};
  sheets[1].number = 2;
  lines = pdfPageLines(itemReport(exam, sheets), 0);
  for (const std::string &line :
       {"Item analysis · " + DateText::longStyle(today) +
            " · 2 sheets · 4 questions · Versions A–C",
        std::string("Version A: 62.5% mean (2)"), std::string("Version C: 0.0% mean (0)")})
    EXPECT_TRUE(hasLine(lines, line)) << line;
}

// Answer keys --------------------------------------------------------------------------------

TEST(AnswerKeyReport, listsEachVersionOnItsOwnPagesInOrder) {
  std::vector<int> answers;
  for (int q = 0; q < 150; ++q)
    answers.push_back(q % 4);
  Exam exam = examWithKey(150, 4, answers);
  exam.title = "Final";
  exam.setVersionCount(3);
  const Bytes pdf = Reports::answerKeysPDF(exam).value();
  ASSERT_EQ(pdfFacts(pdf).value().pageCount, 6);

  for (int page = 0; page < 6; ++page) {
    const auto lines = pdfPageLines(pdf, page);
    const std::string letter(1, static_cast<char>('A' + page / 2));
    EXPECT_TRUE(hasLine(lines, "Final: Version " + letter + " answer key")) << page;
    EXPECT_TRUE(hasLine(lines, "Ovalon · Test " + exam.examCode()));
    EXPECT_EQ(mentions(lines, "(Q"), page >= 2);
    // The first and last printed numbers of the page, and nothing from the other page.
    const bool front = page % 2 == 0;
    for (auto [number, here] :
         {std::pair{front ? 1 : 101, true}, {front ? 100 : 150, true}, {front ? 101 : 99, false}})
      EXPECT_EQ(mentions(lines, std::to_string(number) + ". "), here) << number;
  }
}

// The line after `entry`, where a note on its question goes.
std::string lineAfter(const std::vector<std::string> &lines, const std::string &entry) {
  auto at = std::ranges::find(lines, entry);
  EXPECT_NE(at, lines.end()) << entry << "\n" << ::testing::PrintToString(lines);
  return at != lines.end() && at + 1 != lines.end() ? *(at + 1) : "";
}

TEST(AnswerKeyReport, givesPrintedAnswersMasterQuestionsAndNotes) {
  Exam exam = examWithKey(4, 3, {A, B, C, A});
  exam.setKey(1, {B}, 1, true);
  exam.setKey(2, {C}, 2, false);
  exam.setKey(3, {A, C}, 0.5, true);
  // Version B prints master Q4, Q1, Q3, Q2; row 1 holds master choices C A B, row 3 B C A.
  exam.versions.push_back(
      {1, {3, 0, 2, 1}, std::vector<std::vector<int>>{{2, 0, 1}, {0, 1, 2}, {1, 2, 0}, {0, 1, 2}}});
  const Bytes pdf = Reports::answerKeysPDF(exam).value();
  ASSERT_EQ(pdfFacts(pdf).value().pageCount, 2);
  const auto master = pdfPageLines(pdf, 0), b = pdfPageLines(pdf, 1);
  EXPECT_EQ(lineAfter(master, "1. A"), "2. B");
  EXPECT_EQ(lineAfter(master, "2. B"), "dropped");
  EXPECT_EQ(lineAfter(master, "3. C"), "2 points");
  EXPECT_EQ(lineAfter(master, "4. A/C"), "dropped · 0.5 points");
  EXPECT_EQ(lineAfter(b, "1. A/B (Q4)"), "dropped · 0.5 points");
  EXPECT_EQ(lineAfter(b, "2. A (Q1)"), "3. B (Q3)");
  EXPECT_EQ(lineAfter(b, "3. B (Q3)"), "2 points");
  EXPECT_EQ(lineAfter(b, "4. B (Q2)"), "dropped");
}

} // namespace
} // namespace ovalon
