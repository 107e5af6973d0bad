#include "reports/DateText.h"
#include "reports/Reports.h"
#include "reports/ResultSlip.h"
#include "support/GradingFixtures.h"
#include "support/PdfText.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>
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

constexpr int A = 0, B = 1, C = 2;
const Date today = Date::fromUnixTime(1'780'000'000); // a fixed noon-ish day in 2026

Bytes itemReport(const Exam &exam, const std::vector<ScannedSheet> &sheets = {}) {
  std::optional<Bytes> pdf =
      Reports::itemAnalysisPDF(exam, ItemAnalysis::analyze(exam, sheets), today);
  EXPECT_TRUE(pdf.has_value());
  return pdf.value_or(Bytes{});
}

int pageCount(const Bytes &pdf) {
  const auto facts = pdfFacts(pdf);
  return facts ? facts->pageCount : -1;
}

// The first cell of every table row, in order: the question numbers on the page.
std::vector<int> questionNumbers(const std::vector<std::string> &lines) {
  std::vector<int> numbers;
  for (const std::string &line : lines) {
    if (line.empty() || !std::isdigit(static_cast<unsigned char>(line[0])))
      continue;
    const size_t space = line.find(' ');
    // Rows carry a key after the number and a percentage further on; bin labels, counts
    // above bars and the cards do not.
    if (space == std::string::npos || line.find('%') == std::string::npos ||
        line.find("–") != std::string::npos || line[space - 1] == '%')
      continue;
    numbers.push_back(std::stoi(line.substr(0, space)));
  }
  return numbers;
}

std::vector<int> range(int from, int to) {
  std::vector<int> numbers;
  for (int n = from; n <= to; ++n)
    numbers.push_back(n);
  return numbers;
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
  // US Letter holds 22 one-line rows under the summary and 38 on later pages; A4 two more.
  struct Case {
    Paper paper;
    int items, pages;
  };
  for (const Case c : {Case{Paper::letter, 1, 1},
                       {Paper::letter, 23, 2},
                       {Paper::letter, 61, 3},
                       {Paper::letter, 200, 6},
                       {Paper::a4, 24, 1},
                       {Paper::a4, 25, 2},
                       {Paper::a4, 65, 3}}) {
    SCOPED_TRACE(::testing::Message() << c.items << " items on " << PaperInfo::title(c.paper));
    Exam exam = examWithKey(c.items, 4, std::vector<int>(c.items, A));
    exam.paper = c.paper;
    const Bytes pdf = itemReport(exam);
    ASSERT_EQ(pageCount(pdf), c.pages);
    const int firstRows = c.paper == Paper::letter ? 22 : 24;
    const int laterRows = firstRows + 16;
    for (int page = 0; page < c.pages; ++page) {
      const int first = page == 0 ? 1 : firstRows + 1 + (page - 1) * laterRows;
      const int last = std::min(c.items, page == 0 ? firstRows : first + laterRows - 1);
      const auto lines = pdfPageLines(pdf, page);
      EXPECT_EQ(questionNumbers(lines), range(first, last)) << "page " << page + 1;
      EXPECT_TRUE(hasLine(lines, "Ovalon · Page " + std::to_string(page + 1) + " of " +
                                     std::to_string(c.pages)));
      EXPECT_EQ(hasLine(lines, "Quiz: item analysis (continued)"), page > 0);
      EXPECT_EQ(hasLine(lines, "Score distribution"), page == 0);
    }
  }
}

// How notes wrap is the notes text's own test; here tall rows move the page breaks.
TEST(ItemAnalysisReport, tallRowsMoveThePageBreaks) {
  constexpr int items = 30;
  Exam exam = examWithKey(items, 5, std::vector<int>(items, A));
  ItemAnalysis analysis;
  for (int q = 0; q < items; ++q)
    analysis.items.push_back(item(q, {A}, 0.2, -0.3, {3, 0, 0, 0, 0}, 0,
                                  {ItemNote::unusedDistractor(B), ItemNote::unusedDistractor(C),
                                   ItemNote::unusedDistractor(3), ItemNote::unusedDistractor(4),
                                   ItemNote::hard(), ItemNote::negative()}));
  const std::optional<Bytes> pdf = Reports::itemAnalysisPDF(exam, analysis, today);
  ASSERT_TRUE(pdf);
  // One-line rows would fit two pages; these need more, and every row is on one of them.
  ASSERT_GT(pageCount(*pdf), 2);
  std::vector<int> numbers;
  for (int page = 0; page < pageCount(*pdf); ++page)
    std::ranges::copy(questionNumbers(pdfPageLines(*pdf, page)), std::back_inserter(numbers));
  EXPECT_EQ(numbers, range(1, items));
}

TEST(ItemAnalysisReport, emptyClassShowsZeroCardsAndReliabilityDash) {
  const auto lines = pdfPageLines(itemReport(examWithKey(3, 4, {A, B, C})), 0);
  EXPECT_TRUE(hasLine(lines, "Quiz"));
  EXPECT_TRUE(hasLine(lines, "Item analysis · " + DateText::longStyle(today) +
                                 " · 0 sheets · 3 questions"));
  EXPECT_TRUE(hasLine(lines, "Mean Median High Low Std. dev. Reliability"));
  EXPECT_TRUE(hasLine(lines, "0.0% 0.0% 0.0% 0.0% 0.0 —"));
  EXPECT_TRUE(hasLine(lines, "# Key % Right Discrim. A B C D Blank Notes"));
  EXPECT_TRUE(hasLine(lines, "Questions are numbered as on version A; other versions' answers "
                             "are counted under the same numbers."));
  EXPECT_FALSE(mentions(lines, "Version A:"));
}

TEST(ItemAnalysisReport, rowsShowKeyPercentDiscriminationCountsAndNotes) {
  Exam exam = examWithKey(4, 3, {A, B, C, A});
  ItemAnalysis analysis;
  analysis.summary.count = 15;
  analysis.summary.mean = 71.26;
  analysis.summary.median = 70;
  analysis.summary.high = 100;
  analysis.summary.low = 12.5;
  analysis.summary.standardDeviation = 9.876;
  analysis.summary.reliability = 0.815;
  analysis.items = {
      item(0, {A, C}, 11.0 / 15, 0.5, {6, 4, 5}, 0, {ItemNote::strongDistractor(B)}),
      item(1, {B}, 0.2, -0.25, {7, 3, 5}, 0, {ItemNote::hard(), ItemNote::negative()}),
      item(2, {C}, 0.4, 0.126, {9, 0, 6}, 0, {ItemNote::unusedDistractor(B)}),
      item(3, {}, 0, 0, {0, 0, 0}, 15)};
  analysis.items[2].dropped = true;
  const std::optional<Bytes> pdf = Reports::itemAnalysisPDF(exam, analysis, today);
  ASSERT_TRUE(pdf);
  const auto lines = pdfPageLines(*pdf, 0);
  EXPECT_TRUE(hasLine(lines, "# Key % Right Discrim. A B C Blank Notes"));
  EXPECT_TRUE(hasLine(lines, "Item analysis · " + DateText::longStyle(today) +
                                 " · 15 sheets · 4 questions"));
  EXPECT_TRUE(hasLine(lines, "71.3% 70.0% 100.0% 12.5% 9.9 0.81"))
      << ::testing::PrintToString(lines);
  EXPECT_TRUE(hasLine(lines, "1 A/C 73.3% 0.50 6 4 5 0 Top students chose B. Check the key"));
  EXPECT_TRUE(hasLine(lines, "2 B 20.0% -0.25 7 3 5 0 Hard: under 30% right; Lower scorers did "
                             "better. Check the key"));
  // A dropped question keeps its other cells.
  EXPECT_TRUE(hasLine(lines, "3 C dropped 0.13 9 0 6 0 Nobody chose B"));
  EXPECT_TRUE(hasLine(lines, "4 — 0.0% 0.00 0 0 0 15"));
}

TEST(ItemAnalysisReport, headerCountsSheetsAndVersionsWithTheirMeans) {
  Exam one = examWithKey(2, 4, {A, B});
  auto lines = pdfPageLines(itemReport(one, {sheetAnswering(one, {A, B})}), 0);
  EXPECT_TRUE(
      hasLine(lines, "Item analysis · " + DateText::longStyle(today) + " · 1 sheet · 2 questions"));
  EXPECT_TRUE(hasLine(lines, "100.0% 100.0% 100.0% 100.0% 0.0 —"));

  Exam exam = examWithKey(4, 4, {A, B, C, A});
  exam.setVersionCount(3);
  std::vector<ScannedSheet> sheets{sheetAnswering(exam, {A, B, C, A}, 0),
                                   sheetAnswering(exam, {B, B, B, B}, 0)};
  sheets[1].number = 2;
  lines = pdfPageLines(itemReport(exam, sheets), 0);
  EXPECT_TRUE(hasLine(lines, "Item analysis · " + DateText::longStyle(today) +
                                 " · 2 sheets · 4 questions · Versions A–C"));
  EXPECT_TRUE(hasLine(lines, "Version A: 62.5% mean (2)"));
  EXPECT_TRUE(hasLine(lines, "Version C: 0.0% mean (0)"));
}

// Answer keys --------------------------------------------------------------------------------

Bytes answerKeys(const Exam &exam) {
  std::optional<Bytes> pdf = Reports::answerKeysPDF(exam);
  EXPECT_TRUE(pdf.has_value());
  return pdf.value_or(Bytes{});
}

TEST(AnswerKeyReport, listsEachVersionOnItsOwnPagesInOrder) {
  std::vector<int> answers;
  for (int q = 0; q < 150; ++q)
    answers.push_back(q % 4);
  Exam exam = examWithKey(150, 4, answers);
  exam.title = "Final";
  exam.setVersionCount(3);
  const Bytes pdf = answerKeys(exam);
  const auto facts = pdfFacts(pdf);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 6);
  EXPECT_EQ(facts->title, "Final Answer Keys");
  EXPECT_EQ(facts->pageSize, (Size{612, 792}));

  for (int page = 0; page < 6; ++page) {
    SCOPED_TRACE(page);
    const int version = page / 2;
    const std::string letter = std::string(1, static_cast<char>('A' + version));
    const auto lines = pdfPageLines(pdf, page);
    EXPECT_TRUE(hasLine(lines, "Final: Version " + letter + " answer key"));
    EXPECT_TRUE(hasLine(lines, "Ovalon · Test " + exam.examCode()));
    EXPECT_EQ(mentions(lines, "(Q"), version > 0);
    // The first and last printed numbers of the page, and nothing from the other page.
    const int first = page % 2 == 0 ? 1 : 101;
    const int last = page % 2 == 0 ? 100 : 150;
    EXPECT_TRUE(mentions(lines, std::to_string(first) + ". "));
    EXPECT_TRUE(mentions(lines, std::to_string(last) + ". "));
    EXPECT_FALSE(mentions(lines, std::to_string(page % 2 == 0 ? 101 : 99) + ". "));
  }
  EXPECT_TRUE(hasLine(pdfPageLines(pdf, 0), "The master order. Other versions list the master "
                                            "question each one comes from."));
  EXPECT_TRUE(hasLine(pdfPageLines(pdf, 4),
                      "Each line: the number printed on version C, its answer, and the master "
                      "question (version A) it comes from."));
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
  const Bytes pdf = answerKeys(exam);
  ASSERT_EQ(pageCount(pdf), 2);
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

// Every report ----------------------------------------------------------------------------

TEST(Reports, areOnTheTestsPaperWithTheFooterAtTheFootOfThePage) {
  using Make = std::function<std::optional<Bytes>(const Exam &)>;
  // Where each document must have ink on a page of a given size: the footer in the middle of
  // the last 40 points, or the four-slip page's guide down the middle.
  const auto footer = [](Size page) { return Rect{page.width / 2 - 30, page.height - 40, 60, 20}; };
  const auto guide = [](Size page) {
    return Rect{page.width / 2 - 1, 20, 2, page.height / 2 - 40};
  };
  const std::vector<std::tuple<std::string, Make, std::function<Rect(Size)>>> reports{
      {" Item Analysis",
       [](const Exam &exam) {
         return Reports::itemAnalysisPDF(exam, ItemAnalysis::analyze(exam, {}), today);
       },
       footer},
      {" Answer Keys", [](const Exam &exam) { return Reports::answerKeysPDF(exam); }, footer},
      {" Result Slips",
       [](const Exam &exam) {
         return Reports::slipsPDF({ResultSlip{}}, exam, SlipLayout::onePerPage, today);
       },
       footer},
      {" Result Slips",
       [](const Exam &exam) {
         return Reports::slipsPDF(std::vector<ResultSlip>(4), exam, SlipLayout::fourPerPage, today);
       },
       guide}};
  for (const auto &[paper, size] :
       {std::pair{Paper::letter, Size{612, 792}}, {Paper::a4, Size{595.28, 841.89}}}) {
    Exam exam = examWithKey(5, 4, {A, B, C, A, B});
    exam.paper = paper;
    exam.title = "Cells & Tissues";
    for (const auto &[suffix, make, inked] : reports) {
      SCOPED_TRACE(suffix + " on " + std::string(PaperInfo::title(paper)));
      const std::optional<Bytes> pdf = make(exam);
      ASSERT_TRUE(pdf);
      const auto facts = pdfFacts(*pdf);
      ASSERT_TRUE(facts);
      EXPECT_NEAR(facts->pageSize.width, size.width, 0.01);
      EXPECT_NEAR(facts->pageSize.height, size.height, 0.01);
      EXPECT_EQ(facts->title, "Cells & Tissues" + suffix);
      EXPECT_EQ(facts->creator, "Ovalon");
      const auto image = testing::renderPdfPage(*pdf, 0, 72);
      ASSERT_TRUE(image);
      EXPECT_LT(testing::region(*image, inked(size), 72).min, 200);
      // Nothing reaches into the right margin (the four-slip guide stops above this strip).
      EXPECT_EQ(testing::region(*image, {size.width - 20, 40, 6, size.height / 2 - 60}, 72).min,
                255);
    }
  }
}

} // namespace
} // namespace ovalon
