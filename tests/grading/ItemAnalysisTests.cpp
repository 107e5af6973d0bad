#include "grading/ItemAnalysis.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;
using Answers = std::vector<std::optional<int>>;

constexpr int A = 0, B = 1, C = 2, D = 3, E = 4;
constexpr auto blank = std::nullopt;

std::vector<ScannedSheet> sheetsAnswering(const Exam &exam, const std::vector<Answers> &answers) {
  std::vector<ScannedSheet> sheets;
  for (const Answers &a : answers) {
    sheets.push_back(sheetAnswering(exam, a));
    sheets.back().number = static_cast<int>(sheets.size());
  }
  return sheets;
}

TEST(ItemAnalysis, noSheetsGivesZerosAndNothingElse) {
  Exam exam = examWithKey(3, 4, {A, B, C});
  auto excludedOnly = sheetsAnswering(exam, {{A, B, C}});
  excludedOnly[0].excluded = true;
  const std::vector<int> none(4, 0);
  for (const auto &sheets : {std::vector<ScannedSheet>{}, excludedOnly}) {
    ItemAnalysis analysis = ItemAnalysis::analyze(exam, sheets);
    EXPECT_EQ(analysis.summary, ExamSummary{});
    EXPECT_EQ(analysis.items,
              (std::vector<ItemStats>{{0, {A}, false, 0, 0, 0, 0, {}, none, 0, {}},
                                      {1, {B}, false, 0, 0, 0, 0, {}, none, 0, {}},
                                      {2, {C}, false, 0, 0, 0, 0, {}, none, 0, {}}}));
  }
}

// Sheets scoring 3, 2, 1 of 4. Q2, Q3: x = (1,1,0) / (1,0,0) against rest-of-test totals
// (2,1,1) / (2,2,1): covariance 1/9 over variances 2/9 and 2/9, r = 0.5. Reliability: item
// variances sum to 4/9, total variance 2/3: 4/3 × (1 − 2/3) = 4/9. No groups, so no
// discrimination and no distractor finding on Q3 though most chose D.
TEST(ItemAnalysis, threeSheetsHaveNoGroupsButCorrelations) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  auto sheets = sheetsAnswering(exam, {{A, B, C, A}, {A, B, D, A}, {A, C, D, blank}});
  ItemAnalysis analysis = ItemAnalysis::analyze(exam, sheets);
  ASSERT_EQ(analysis.items.size(), 4u);
  for (size_t q : {1u, 2u}) {
    ASSERT_TRUE(analysis.items[q].pointBiserial);
    EXPECT_NEAR(*analysis.items[q].pointBiserial, 0.5, 1e-12);
    analysis.items[q].pointBiserial = 0.5;
  }
  EXPECT_EQ(analysis.items,
            (std::vector<ItemStats>{
                {0, {A}, false, 3, 3, 1, 0, {}, {3, 0, 0, 0}, 0, {ItemNote::easy()}},
                {1, {B}, false, 3, 2, 2.0 / 3, 0, 0.5, {0, 2, 1, 0}, 0, {}},
                {2, {C}, false, 3, 1, 1.0 / 3, 0, 0.5, {0, 0, 1, 2}, 0, {}},
                {3, {D}, false, 3, 0, 0, 0, {}, {2, 0, 0, 0}, 1, {ItemNote::hard()}}}));

  ExamSummary &summary = analysis.summary;
  EXPECT_NEAR(summary.standardDeviation, 25 * std::sqrt(2.0 / 3), 1e-9);
  ASSERT_TRUE(summary.reliability);
  EXPECT_NEAR(*summary.reliability, 4.0 / 9, 1e-12);
  summary.standardDeviation = 0;
  summary.reliability = 0;
  EXPECT_EQ(
      summary,
      (ExamSummary{3, 50, 50, 0, 75, 25, 0, {0, 0, 1, 0, 0, 1, 0, 1, 0, 0}, {{0, 50}}, {{0, 3}}}));
}

TEST(ItemAnalysis, fewerThanThreeSheetsHaveNoCorrelationOrReliability) {
  Exam exam = examWithKey(3, 4, {A, B, C});
  ItemAnalysis analysis =
      ItemAnalysis::analyze(exam, sheetsAnswering(exam, {{A, B, C}, {A, D, D}}));
  for (const ItemStats &item : analysis.items)
    EXPECT_EQ(item.pointBiserial, std::nullopt);
  EXPECT_EQ(analysis.summary.reliability, std::nullopt);
  EXPECT_DOUBLE_EQ(analysis.summary.median, (100 + 100.0 / 3) / 2);
  EXPECT_NEAR(analysis.summary.standardDeviation, 100.0 / 3, 1e-9);
}

TEST(ItemAnalysis, droppedAndUnkeyedQuestionsGetNoCorrelationNotesOrReliabilityShare) {
  Exam exam = examWithKey(4, 4, {A, B, C});
  exam.setKey(1, {B}, 1, true);
  // Q2 dropped, Q4 unkeyed: only Q1 and Q3 count, so reliability has k = 2.
  auto sheets = sheetsAnswering(exam, {{A, B, C, A}, {A, B, D, A}, {B, C, D, A}, {B, C, C, A}});
  ItemAnalysis analysis = ItemAnalysis::analyze(exam, sheets);
  // A dropped question is scored right for nobody.
  EXPECT_EQ(analysis.items[1], (ItemStats{1, {B}, true, 4, 0, 0, 0, {}, {0, 2, 2, 0}, 0, {}}));
  EXPECT_EQ(analysis.items[3], (ItemStats{3, {}, false, 4, 0, 0, 0, {}, {4, 0, 0, 0}, 0, {}}));
  // Earned (2, 1, 0, 1): variance 1/2. Item variances 1/4 + 1/4. 2 × (1 − 1) = 0.
  ASSERT_TRUE(analysis.summary.reliability);
  EXPECT_NEAR(*analysis.summary.reliability, 0, 1e-12);
}

// 22 sheets give groups of 6. The six strong sheets get Q2–Q5 right and answer Q1 (keyed
// A or B) as given; eight weak sheets answer C on Q1 and eight answer A; all sixteen answer B
// elsewhere.
TEST(ItemAnalysis, upperGroupPreferringAWrongAnswerFlagsTheKey) {
  Exam exam = examWithKey(5, 5, {A, A, A, A, A});
  exam.setKey(0, {A, B}, 1, false);
  auto analyze = [&](std::vector<int> strongQ1) {
    std::vector<Answers> answers;
    for (int q1 : strongQ1)
      answers.push_back({q1, A, A, A, A});
    answers.resize(14, {C, B, B, B, B});
    answers.resize(22, {A, B, B, B, B});
    return ItemAnalysis::analyze(exam, sheetsAnswering(exam, answers));
  };
  ItemAnalysis analysis = analyze({D, A, B, D, B, D});
  const ItemStats &q1 = analysis.items[0];
  // Upper: A, B, B right (3); lower: the last six in the ranking, all of whom scored 0.
  EXPECT_EQ(std::tuple(q1.count, q1.correctCount, q1.p, q1.discrimination),
            std::tuple(22, 11, 0.5, 0.5));
  EXPECT_EQ(q1.choiceCounts, (std::vector<int>{9, 2, 8, 3, 0}));
  EXPECT_EQ(q1.notes,
            (std::vector<ItemNote>{ItemNote::strongDistractor(D), ItemNote::unusedDistractor(E)}));

  const ItemStats &q2 = analysis.items[1];
  EXPECT_EQ(std::pair(q2.p, q2.discrimination), std::pair(6.0 / 22, 1.0));
  EXPECT_EQ(q2.notes,
            (std::vector<ItemNote>{ItemNote::hard(), ItemNote::unusedDistractor(C),
                                   ItemNote::unusedDistractor(D), ItemNote::unusedDistractor(E)}));

  // A wrong answer must beat every keyed choice, and of two tied the first letter is named.
  EXPECT_EQ(analyze({D, A, B, D, B, C}).items[0].notes,
            std::vector<ItemNote>{ItemNote::unusedDistractor(E)});
  EXPECT_EQ(analyze({D, D, C, C, A, B}).items[0].notes,
            (std::vector<ItemNote>{ItemNote::strongDistractor(C), ItemNote::unusedDistractor(E)}));
}

// Four sheets: groups of one. The best sheet misses Q3 with B, the last-ranked (a tie kept
// in document order) gets it right.
TEST(ItemAnalysis, lowerScorersDoingBetterIsFlaggedInNoteOrder) {
  Exam exam = examWithKey(3, 4, {A, A, A});
  auto sheets = sheetsAnswering(exam, {{A, B, B}, {A, A, B}, {B, A, B}, {B, B, A}});
  ItemAnalysis analysis = ItemAnalysis::analyze(exam, sheets);
  const ItemStats &q3 = analysis.items[2];
  // Q1: the upper sheet (sheet 2) and the lower one (sheet 4): 1 − 0.
  EXPECT_EQ(std::tuple(q3.p, q3.discrimination, analysis.items[0].discrimination),
            std::tuple(0.25, -1.0, 1.0));
  EXPECT_EQ(q3.notes, (std::vector<ItemNote>{ItemNote::hard(), ItemNote::negative(),
                                             ItemNote::strongDistractor(B)}));
}

TEST(ItemAnalysis, unusedWrongAnswersAreNotedFromTenSheetsAndThirtyPercentIsNotHard) {
  Exam exam = examWithKey(1, 3, {A});
  std::vector<Answers> answers(9, Answers{A});
  answers.push_back({B});
  const auto notes = [&](const std::vector<Answers> &a) {
    return ItemAnalysis::analyze(exam, sheetsAnswering(exam, a)).items[0].notes;
  };
  EXPECT_EQ(notes(answers), std::vector<ItemNote>{ItemNote::unusedDistractor(C)});
  answers.erase(answers.begin());
  EXPECT_TRUE(notes(answers).empty());

  std::vector<Answers> thirty(3, Answers{A});
  thirty.resize(10, Answers{B});
  const ItemStats item = ItemAnalysis::analyze(exam, sheetsAnswering(exam, thirty)).items[0];
  EXPECT_DOUBLE_EQ(item.p, 0.3);
  EXPECT_EQ(std::ranges::count(item.notes, ItemNote::hard()), 0);
}

TEST(ItemAnalysis, histogramPutsFullMarksInTheLastBinAndTruncates) {
  Exam exam = examWithKey(2, 4, {A, A});
  exam.setKey(0, {A}, 9.99, false);
  exam.setKey(1, {A}, 90.01, false);
  auto sheets = sheetsAnswering(exam, {{A, A}, {A, B}, {B, A}, {B, B}});
  ExamSummary summary = ItemAnalysis::analyze(exam, sheets).summary;
  EXPECT_EQ(std::tuple(summary.histogram, summary.high, summary.low),
            std::tuple(std::vector<int>{2, 0, 0, 0, 0, 0, 0, 0, 0, 2}, 100.0, 0.0));
}

TEST(ItemAnalysis, groupSizeIsTwentySevenPercentRounded) {
  // With everyone right on Q1 except the last-ranked g sheets, discrimination is 1 exactly
  // when the lower group is g sheets wide and nobody in it is right.
  Exam exam = examWithKey(2, 4, {A, A});
  auto discriminationWith = [&](int n, int wrong) {
    std::vector<Answers> answers(static_cast<size_t>(n - wrong), Answers{A, A});
    answers.resize(static_cast<size_t>(n), Answers{B, B});
    return ItemAnalysis::analyze(exam, sheetsAnswering(exam, answers)).items[0].discrimination;
  };
  // g = 1, 3 and 8.
  EXPECT_EQ((std::vector<double>{discriminationWith(5, 1), discriminationWith(10, 3),
                                 discriminationWith(10, 2), discriminationWith(30, 8),
                                 discriminationWith(30, 7)}),
            (std::vector<double>{1, 1, 2.0 / 3, 1, 7.0 / 8}));
}

} // namespace
} // namespace ovalon
