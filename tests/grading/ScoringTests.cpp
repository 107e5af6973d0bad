#include "grading/Scoring.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::sheetAnswering;
using Answers = std::vector<std::optional<int>>;
using Rights = std::vector<std::optional<bool>>;

constexpr int A = 0, B = 1, C = 2, D = 3;
constexpr auto none = std::nullopt;

ReviewFlag &flagAt(ScannedSheet &sheet, int position) {
  for (ReviewFlag &flag : sheet.flags)
    if (flag.position == position)
      return flag;
  throw std::logic_error("no flag at that position");
}

void addFlag(ScannedSheet &sheet, FlagKind kind, int position, std::optional<Resolution> decision) {
  sheet.flags.push_back(fixtures::markFlag(sheet, kind, position));
  sheet.flags.back().resolution = decision;
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
  ScannedSheet sheet = sheetAnswering(exam, {A, none, C, none});
  sheet.marks[3] = fixtures::doubleMark(4, B, D);
  std::erase_if(sheet.flags, [](const ReviewFlag &f) { return f.position == 3; });
  addFlag(sheet, FlagKind::double_, 3, none);
  EXPECT_EQ(sheet.answers(), (Answers{A, none, C, none}));

  flagAt(sheet, 1).resolution = Resolution::choice(D);
  flagAt(sheet, 3).resolution = Resolution::choice(B);
  EXPECT_EQ(sheet.answers(), (Answers{A, D, C, B}));

  // A second decided flag on row 1 comes later in the list and wins; `blank` clears a read
  // choice; `accept` and open flags leave the reading alone.
  addFlag(sheet, FlagKind::faint, 1, Resolution::blank());
  addFlag(sheet, FlagKind::faint, 0, Resolution::blank());
  addFlag(sheet, FlagKind::faint, 2, Resolution::accept());
  addFlag(sheet, FlagKind::faint, 3, none);
  EXPECT_EQ(sheet.answers(), (Answers{none, none, C, B}));
}

TEST(SheetOpenFlags, keepsUndecidedFlagsInOrder) {
  Exam exam = examWithKey(4, 4, {A, B, C, D});
  ScannedSheet sheet = sheetAnswering(exam, {none, A, none, none});
  sheet.flags.insert(sheet.flags.begin(), fixtures::sheetFlag(FlagKind::studentID));
  flagAt(sheet, 2).resolution = Resolution::accept();
  std::vector<std::pair<FlagKind, std::optional<int>>> open;
  for (const ReviewFlag &flag : sheet.openFlags())
    open.emplace_back(flag.kind, flag.position);
  EXPECT_EQ(open, (std::vector<std::pair<FlagKind, std::optional<int>>>{
                      {FlagKind::studentID, none}, {FlagKind::blank, 0}, {FlagKind::blank, 3}}));
}

TEST(SheetStudentID, followsTheFirstStudentIDFlag) {
  struct Case {
    std::string readID;
    std::vector<std::optional<Resolution>> idFlags;
    std::optional<std::string> student;
  };
  const std::vector<Case> cases{
      {"1042", {}, "1042"},
      {"10?2", {}, none},
      {"", {}, none},
      {"1042", {none}, none}, // an open ID flag leaves the sheet unassigned
      {"1042", {Resolution::accept()}, "1042"},
      {"1042", {Resolution::student("0077")}, "0077"},
      {"1042", {Resolution::exclude()}, none},
      {"1042", {Resolution::exclude(), Resolution::student("55")}, none}, // only the first decides
      {"12?4", {Resolution::accept()}, none}, // accepting an unclear ID gives no ID
  };
  Exam exam = examWithKey(1, 4, {A});
  for (const Case &c : cases) {
    ScannedSheet sheet = sheetAnswering(exam, {A}, 0, c.readID);
    for (const auto &decision : c.idFlags) {
      sheet.flags.push_back(fixtures::sheetFlag(FlagKind::studentID));
      sheet.flags.back().resolution = decision;
    }
    EXPECT_EQ(sheet.studentID(), c.student) << c.readID << " with " << c.idFlags.size();
  }
}

TEST(Scoring, anyAcceptedAnswerEarnsThePointsAndBlankNever) {
  Exam exam = examWithKey(4, 4, {});
  for (int q = 0; q < 4; ++q)
    exam.setKey(q, {A, C}, 2.5, false);
  ScannedSheet sheet = sheetAnswering(exam, {A, C, B, none});
  sheet.flags.back().resolution = Resolution::accept();
  SheetScore score = Scoring::score(sheet, exam);
  EXPECT_EQ(score.correct, (Rights{true, true, false, false}));
  EXPECT_EQ(std::tuple(score.earned, score.possible, score.percent()), std::tuple(5.0, 10.0, 50.0));
}

TEST(Scoring, droppedAndUnkeyedQuestionsCountForNothing) {
  Exam exam = examWithKey(4, 4, {A, A, A});
  exam.setKey(1, {A}, 3, true);
  for (const Answers &answers : {Answers{A, A, A, A}, Answers{A, B, A, B}}) {
    SheetScore score = Scoring::score(sheetAnswering(exam, answers), exam);
    EXPECT_EQ(std::pair(score.earned, score.possible), std::pair(2.0, 2.0));
    EXPECT_EQ(score.correct, (Rights{true, none, true, none}));
  }
  // Nothing keyed: nothing to earn, and no division by zero.
  Exam unkeyed = examWithKey(3, 4, {});
  SheetScore nothing = Scoring::score(sheetAnswering(unkeyed, {A, B, C}), unkeyed);
  EXPECT_EQ(std::pair(nothing.possible, nothing.percent()), std::pair(0.0, 0.0));
  EXPECT_EQ(nothing.responses, (Answers{A, B, C}));
}

TEST(Scoring, mapsShuffledPositionsAndSlotsBackToTheMaster) {
  Exam exam = examWithKey(2, 3, {A, B});
  // Version B prints master Q2 first; its rows hold master choices C A B and B C A.
  exam.versions.push_back({1, {1, 0}, std::vector<std::vector<int>>{{2, 0, 1}, {1, 2, 0}}});
  SheetScore right = Scoring::score(sheetAnswering(exam, {C, C}, 1), exam);
  EXPECT_EQ(std::pair(right.responses, right.earned), std::pair(Answers{A, B}, 2.0));
  // The master's letters, where the version printed other choices, are wrong.
  SheetScore literal = Scoring::score(sheetAnswering(exam, {B, A}, 1), exam);
  EXPECT_EQ(std::pair(literal.responses, literal.earned), std::pair(Answers{B, A}, 0.0));
}

TEST(Scoring, slotOutsideAShuffledRowIsKeptAsIs) {
  Exam exam = examWithKey(3, 3, {A, B, C});
  exam.setShuffleChoices(true);
  exam.setVersionCount(2);
  ScannedSheet sheet = sheetAnswering(exam, {}, 1);
  sheet.flags.front().resolution = Resolution::choice(4);
  size_t question = static_cast<size_t>(exam.versions[1].order[0]);
  EXPECT_EQ(std::pair(Scoring::responses(sheet, exam)[question],
                      Scoring::score(sheet, exam).correct[question]),
            std::pair(std::optional(4), std::optional(false)));
}

TEST(Scoring, doubleMarkIsWrongAndProvisionalUntilDecided) {
  Exam exam = examWithKey(2, 4, {B, C});
  ScannedSheet sheet = sheetAnswering(exam, {B, C});
  sheet.marks[0] = fixtures::doubleMark(4, B, D);
  addFlag(sheet, FlagKind::double_, 0, none);
  for (auto [decision, earned, provisional, response] :
       {std::tuple{std::optional<Resolution>{}, 1.0, true, std::optional<int>{}},
        {Resolution::choice(B), 2.0, false, B},
        {Resolution::blank(), 1.0, false, none}}) {
    sheet.flags[0].resolution = decision;
    SheetScore score = Scoring::score(sheet, exam);
    EXPECT_EQ(std::tuple(score.earned, score.provisional, score.responses[0]),
              std::tuple(earned, provisional, response));
  }
}

TEST(Scoring, missingPageAcceptedScoresItsRowsBlank) {
  Exam exam = examWithKey(150, 4, std::vector<int>(150, A));
  ScannedSheet sheet = sheetAnswering(exam, Answers(100, A));
  // Only the missing-page flag covers the unscanned rows.
  sheet.flags = {fixtures::sheetFlag(FlagKind::missingPage)};
  SheetScore open = Scoring::score(sheet, exam);
  EXPECT_EQ(std::tuple(open.provisional, open.earned, open.possible),
            std::tuple(true, 100.0, 150.0));

  sheet.flags[0].resolution = Resolution::accept();
  SheetScore accepted = Scoring::score(sheet, exam);
  EXPECT_EQ(std::tuple(accepted.provisional, accepted.earned, accepted.responses[120]),
            std::tuple(false, 100.0, none));

  // Leaving the sheet out: it still scores, but nothing on it is open any more.
  sheet.flags[0].resolution = Resolution::exclude();
  sheet.excluded = true;
  EXPECT_TRUE(sheet.openFlags().empty());
  EXPECT_EQ(std::pair(Scoring::score(sheet, exam).provisional, Scoring::score(sheet, exam).earned),
            std::pair(false, 100.0));
}

} // namespace
} // namespace ovalon
