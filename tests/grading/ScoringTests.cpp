#include "grading/Scoring.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;

constexpr int A = 0, B = 1, C = 2, D = 3;

ReviewFlag &flagAt(ScannedSheet &sheet, int position) {
  for (ReviewFlag &flag : sheet.flags)
    if (flag.position == position)
      return flag;
  throw std::logic_error("no flag at that position");
}

TEST(ResolutionLabel, namesEachDecisionAsTheReviewListShowsIt) {
  std::vector<std::string> labels;
  for (Resolution r : {Resolution::choice(2), Resolution::choice(0), Resolution::choice(7),
                       Resolution::student("001042"), Resolution::blank(), Resolution::accept(),
                       Resolution::exclude()})
    labels.push_back(r.label());
  EXPECT_EQ(labels, (std::vector<std::string>{"Set to C", "Set to A", "Set to ?", "ID 001042",
                                              "Left blank", "Accepted", "Left out"}));
}

TEST(SheetAnswers, decisionsOverrideReadingsAndTheLaterDecisionWins) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  ScannedSheet sheet = sheetAnswering(exam, {A, std::nullopt, C, std::nullopt});
  sheet.marks[3] = fixtures::doubleMark(4, B, D);
  std::erase_if(sheet.flags, [](const ReviewFlag &f) { return f.position == 3; });
  sheet.flags.push_back(fixtures::markFlag(sheet, FlagKind::double_, 3));
  EXPECT_EQ(sheet.answers(), (std::vector<std::optional<int>>{A, std::nullopt, C, std::nullopt}));

  flagAt(sheet, 1).resolution = Resolution::choice(D);
  flagAt(sheet, 3).resolution = Resolution::choice(B);
  EXPECT_EQ(sheet.answers(), (std::vector<std::optional<int>>{A, D, C, B}));

  // A second decided flag on row 1 comes later in the list and wins; `blank` clears a read
  // choice; `accept` and open flags leave the reading alone.
  ReviewFlag again = fixtures::markFlag(sheet, FlagKind::faint, 1);
  again.resolution = Resolution::blank();
  sheet.flags.push_back(again);
  ReviewFlag clearRow0 = fixtures::markFlag(sheet, FlagKind::faint, 0);
  clearRow0.resolution = Resolution::blank();
  sheet.flags.push_back(clearRow0);
  ReviewFlag acceptRow2 = fixtures::markFlag(sheet, FlagKind::faint, 2);
  acceptRow2.resolution = Resolution::accept();
  sheet.flags.push_back(acceptRow2);
  sheet.flags.push_back(fixtures::markFlag(sheet, FlagKind::faint, 3)); // open
  EXPECT_EQ(sheet.answers(), (std::vector<std::optional<int>>{std::nullopt, std::nullopt, C, B}));
}

TEST(SheetOpenFlags, keepsUndecidedFlagsInOrderAndNoneWhenExcluded) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  ScannedSheet sheet = sheetAnswering(exam, {std::nullopt, A, std::nullopt, std::nullopt});
  sheet.flags.insert(sheet.flags.begin(), fixtures::sheetFlag(FlagKind::studentID));
  flagAt(sheet, 2).resolution = Resolution::accept();
  auto open = sheet.openFlags();
  ASSERT_EQ(open.size(), 3u);
  EXPECT_EQ(open[0].kind, FlagKind::studentID);
  EXPECT_EQ(open[1].position, 0);
  EXPECT_EQ(open[2].position, 3);

  sheet.excluded = true;
  EXPECT_TRUE(sheet.openFlags().empty());
}

TEST(SheetStudentID, followsTheFirstStudentIDFlag) {
  Exam exam = examWithKey(1, 4, {A});
  ScannedSheet sheet = sheetAnswering(exam, {A}, 0, "1042");
  EXPECT_EQ(sheet.studentID(), "1042");

  sheet.readID = "10?2";
  EXPECT_EQ(sheet.studentID(), std::nullopt);
  sheet.readID = "";
  EXPECT_EQ(sheet.studentID(), std::nullopt);

  sheet.readID = "1042";
  sheet.flags.insert(sheet.flags.begin(), fixtures::sheetFlag(FlagKind::studentID));
  EXPECT_EQ(sheet.studentID(), std::nullopt) << "an open ID flag leaves the sheet unassigned";
  sheet.flags[0].resolution = Resolution::accept();
  EXPECT_EQ(sheet.studentID(), "1042");
  sheet.flags[0].resolution = Resolution::student("0077");
  EXPECT_EQ(sheet.studentID(), "0077");
  sheet.flags[0].resolution = Resolution::exclude();
  EXPECT_EQ(sheet.studentID(), std::nullopt);

  // Only the first ID flag decides.
  ReviewFlag later = fixtures::sheetFlag(FlagKind::studentID);
  later.resolution = Resolution::student("55");
  sheet.flags.push_back(later);
  EXPECT_EQ(sheet.studentID(), std::nullopt);

  sheet.readID = "12?4";
  sheet.flags[0].resolution = Resolution::accept();
  EXPECT_EQ(sheet.studentID(), std::nullopt) << "accepting an unclear ID gives no ID";
}

TEST(Scoring, anyAcceptedAnswerEarnsThePointsAndBlankNever) {
  Exam exam = examWithKey(4, 4, {});
  for (int q = 0; q < 4; ++q)
    exam.setKey(q, {A, C}, 2.5, false);
  ScannedSheet sheet = sheetAnswering(exam, {A, C, B, std::nullopt});
  sheet.flags.back().resolution = Resolution::accept();
  SheetScore score = Scoring::score(sheet, exam);
  EXPECT_EQ(score.correct, (std::vector<std::optional<bool>>{true, true, false, false}));
  EXPECT_DOUBLE_EQ(score.earned, 5);
  EXPECT_DOUBLE_EQ(score.possible, 10);
  EXPECT_DOUBLE_EQ(score.percent(), 50);
}

TEST(Scoring, droppedAndUnkeyedQuestionsCountForNothing) {
  Exam exam = examWithKey(4, 4, {A, A, A});
  exam.setKey(1, {A}, 3, true);
  // Question 4 stays unkeyed.
  for (const auto &answers :
       {std::vector<std::optional<int>>{A, A, A, A}, std::vector<std::optional<int>>{A, B, A, B}}) {
    SheetScore score = Scoring::score(sheetAnswering(exam, answers), exam);
    EXPECT_DOUBLE_EQ(score.earned, 2);
    EXPECT_DOUBLE_EQ(score.possible, 2);
    EXPECT_EQ(score.correct,
              (std::vector<std::optional<bool>>{true, std::nullopt, true, std::nullopt}));
  }
  // Nothing keyed: nothing to earn, and no division by zero.
  Exam unkeyed = examWithKey(3, 4, {});
  SheetScore nothing = Scoring::score(sheetAnswering(unkeyed, {A, B, C}), unkeyed);
  EXPECT_EQ(nothing.possible, 0);
  EXPECT_EQ(nothing.percent(), 0);
  EXPECT_EQ(nothing.responses, (std::vector<std::optional<int>>{A, B, C}));
}

TEST(Scoring, mapsShuffledPositionsAndSlotsBackToTheMaster) {
  Exam exam = examWithKey(2, 3, {A, B});
  // Version B prints master Q2 first; its rows hold master choices C A B and B C A.
  exam.versions.push_back({1, {1, 0}, std::vector<std::vector<int>>{{2, 0, 1}, {1, 2, 0}}});
  SheetScore right = Scoring::score(sheetAnswering(exam, {C, C}, 1), exam);
  EXPECT_EQ(right.responses, (std::vector<std::optional<int>>{A, B}));
  EXPECT_DOUBLE_EQ(right.earned, 2);
  // The master's letters, where the version printed other choices, are wrong.
  SheetScore literal = Scoring::score(sheetAnswering(exam, {B, A}, 1), exam);
  EXPECT_EQ(literal.responses, (std::vector<std::optional<int>>{B, A}));
  EXPECT_DOUBLE_EQ(literal.earned, 0);
}

TEST(Scoring, slotOutsideAShuffledRowIsKeptAsIs) {
  Exam exam = examWithKey(3, 3, {A, B, C});
  exam.setShuffleChoices(true);
  exam.setVersionCount(2);
  ScannedSheet sheet = sheetAnswering(exam, {}, 1);
  sheet.flags.front().resolution = Resolution::choice(4);
  auto responses = Scoring::responses(sheet, exam);
  size_t question = static_cast<size_t>(exam.versions[1].order[0]);
  EXPECT_EQ(responses[question], 4);
  EXPECT_EQ(Scoring::score(sheet, exam).correct[question], false);
}

TEST(Scoring, doubleMarkIsWrongAndProvisionalUntilDecided) {
  Exam exam = examWithKey(2, 4, {B, C});
  ScannedSheet sheet = sheetAnswering(exam, {B, C});
  sheet.marks[0] = fixtures::doubleMark(4, B, D);
  sheet.flags.push_back(fixtures::markFlag(sheet, FlagKind::double_, 0));

  SheetScore open = Scoring::score(sheet, exam);
  EXPECT_DOUBLE_EQ(open.earned, 1);
  EXPECT_EQ(open.correct[0], false);
  EXPECT_TRUE(open.provisional);

  sheet.flags[0].resolution = Resolution::choice(B);
  SheetScore picked = Scoring::score(sheet, exam);
  EXPECT_DOUBLE_EQ(picked.earned, 2);
  EXPECT_FALSE(picked.provisional);

  sheet.flags[0].resolution = Resolution::blank();
  SheetScore blank = Scoring::score(sheet, exam);
  EXPECT_DOUBLE_EQ(blank.earned, 1);
  EXPECT_EQ(blank.responses[0], std::nullopt);
  EXPECT_FALSE(blank.provisional);
}

TEST(Scoring, missingPageAcceptedScoresItsRowsBlank) {
  Exam exam = examWithKey(150, 4, std::vector<int>(150, A));
  ScannedSheet sheet = sheetAnswering(exam, std::vector<std::optional<int>>(100, A));
  // Only the missing-page flag covers the unscanned rows.
  sheet.flags = {fixtures::sheetFlag(FlagKind::missingPage)};
  SheetScore open = Scoring::score(sheet, exam);
  EXPECT_TRUE(open.provisional);
  EXPECT_DOUBLE_EQ(open.earned, 100);
  EXPECT_DOUBLE_EQ(open.possible, 150);

  sheet.flags[0].resolution = Resolution::accept();
  SheetScore accepted = Scoring::score(sheet, exam);
  EXPECT_FALSE(accepted.provisional);
  EXPECT_DOUBLE_EQ(accepted.earned, 100);
  EXPECT_EQ(accepted.responses[120], std::nullopt);

  // Leaving the sheet out: it still scores, but nothing on it is open any more.
  sheet.flags[0].resolution = Resolution::exclude();
  sheet.excluded = true;
  EXPECT_TRUE(sheet.openFlags().empty());
  EXPECT_FALSE(Scoring::score(sheet, exam).provisional);
  EXPECT_DOUBLE_EQ(Scoring::score(sheet, exam).earned, 100);
}

} // namespace
} // namespace ovalon
