#include "grading/Assembly.h"
#include "scanning/Grader.h"
#include "support/GradingFixtures.h"
#include "support/TestSheetPage.h"
#include "workflow/Review.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::markFlag;
using fixtures::sheetAnswering;
using fixtures::sheetFlag;

// Two sheets that both read ID 204501, the first with a faint row, and one unread page.
struct Graded {
  ExamDocument doc = ExamDocument::make(examWithKey(3, 4, {0, 1, 2}));

  Graded() {
    doc.roster.students = {{"204501", "Avery", "Brooks"}, {"204502", "Jordan", "Pike"}};
    ScannedSheet first = sheetAnswering(doc.exam, {0, 1, 2}, 0, "204501");
    ScannedSheet second = sheetAnswering(doc.exam, {0, 1, 2}, 0, "204501");
    second.number = 2;
    first.flags.push_back(markFlag(first, FlagKind::faint, 1));
    first.pageImages = {Uuid::random()};
    first.number = 1;
    doc.sheets = Assembly::refreshIDFlags({first, second}, doc.exam, doc.roster.students);
    doc.issues.push_back({Uuid::random(), "scan.pdf", 3, PageProblem::noCode(), {}, {}, false});
  }
  ScannedSheet &numbered(int number) {
    return *std::ranges::find(doc.sheets, number, &ScannedSheet::number);
  }
  const ReviewFlag *flagOf(int number, FlagKind kind) {
    for (const ReviewFlag &flag : numbered(number).flags)
      if (flag.kind == kind)
        return &flag;
    return nullptr;
  }
  const ReviewFlag *idFlag(int number) { return flagOf(number, FlagKind::studentID); }
};

TEST(Review, listsIssuesFirstThenFlagsBySheetNumber) {
  Graded graded;
  ASSERT_NE(graded.idFlag(2), nullptr) << "the second 204501 is a duplicate";
  std::swap(graded.doc.sheets[0], graded.doc.sheets[1]); // the list goes by number
  std::vector<Review::Item> items = Review::items(graded.doc);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(std::holds_alternative<Review::Item::Issue>(items[0].target));
  EXPECT_EQ(std::get<Review::Item::Flag>(items[1].target).sheet, graded.numbered(1).id);
  EXPECT_EQ(std::get<Review::Item::Flag>(items[2].target).sheet, graded.numbered(2).id);
  graded.doc.issues[0].dismissed = true;
  graded.numbered(1).excluded = true;
  EXPECT_EQ(Review::items(graded.doc).size(), 3u) << "nothing is filtered out";
}

TEST(Review, itemsHaveNamesThatStayPutWhenTheListGrows) {
  Graded graded;
  auto names = [&] { return Review::names(graded.doc, Review::items(graded.doc)); };
  EXPECT_EQ(names(), (std::vector<std::string>{"scan.pdf#3", "S1:Q2", "S2:id"}));
  graded.doc.issues.insert(graded.doc.issues.begin(),
                           {Uuid::random(), "late.pdf", 1, PageProblem::noCode(), {}, {}, false});
  graded.doc.issues.push_back(
      {Uuid::random(), "scan.pdf", 3, PageProblem::noMarks(), {}, {}, false});
  EXPECT_EQ(names(), (std::vector<std::string>{"late.pdf#1", "scan.pdf#3", "scan.pdf#3/2", "S1:Q2",
                                               "S2:id"}));
  std::vector<Review::Item> items = Review::items(graded.doc);
  EXPECT_EQ(Review::named(graded.doc, items, "s1:q2"), items[3]);
  EXPECT_EQ(Review::named(graded.doc, items, "scan.pdf#3/2"), items[2]);
  EXPECT_FALSE(Review::named(graded.doc, items, "S9:Q1"));
  EXPECT_FALSE(Review::named(graded.doc, items, "SCAN.PDF#3")) << "file names keep their case";
}

TEST(Review, pickingAStudentWhoHasASheetRaisesAnItemAndPickingAnotherSettlesIt) {
  Graded graded;
  Review::resolve(graded.doc, graded.numbered(2).id, graded.idFlag(2)->id,
                  Resolution::student("204501"));
  const ScannedSheet &second = graded.numbered(2);
  ASSERT_EQ(second.openFlags().size(), 1u);
  const ReviewFlag clash = second.openFlags()[0];
  EXPECT_EQ(clash.note, "ID 204501 is also on sheet 1.");
  Review::resolve(graded.doc, second.id, clash.id, Resolution::student("204502"));
  EXPECT_TRUE(graded.numbered(2).openFlags().empty());
  EXPECT_EQ(graded.numbered(2).studentID(), "204502");
}

TEST(Review, leavingASheetOutExcludesItAndTakingItBackReopensTheDecision) {
  Graded graded;
  Uuid sheet = graded.numbered(1).id;
  Uuid faint = graded.flagOf(1, FlagKind::faint)->id;
  EXPECT_TRUE(Review::resolve(graded.doc, sheet, faint, Resolution::exclude()));
  EXPECT_TRUE(graded.numbered(1).excluded);
  EXPECT_EQ(graded.idFlag(2), nullptr) << "a sheet left out no longer duplicates an ID";

  EXPECT_TRUE(Review::setExcluded(graded.doc, sheet, false));
  EXPECT_FALSE(graded.numbered(1).excluded);
  EXPECT_FALSE(graded.flagOf(1, FlagKind::faint)->resolution);
  EXPECT_NE(graded.idFlag(2), nullptr);

  EXPECT_FALSE(Review::resolve(graded.doc, Uuid::random(), faint, Resolution::blank()));
  EXPECT_FALSE(Review::resolve(graded.doc, sheet, Uuid::random(), {}));
}

TEST(Review, decisionsAreRecordedAndReopened) {
  Graded graded;
  Uuid first = graded.numbered(1).id;
  Uuid faint = graded.flagOf(1, FlagKind::faint)->id;
  Review::resolve(graded.doc, first, faint, Resolution::choice(3));
  EXPECT_EQ(graded.numbered(1).answers()[1], 3);
  Review::resolve(graded.doc, first, faint, std::nullopt);
  EXPECT_FALSE(graded.flagOf(1, FlagKind::faint)->resolution);

  Review::resolve(graded.doc, graded.numbered(2).id, graded.idFlag(2)->id,
                  Resolution::student("204502"));
  ASSERT_NE(graded.idFlag(2), nullptr);
  EXPECT_EQ(graded.numbered(2).studentID(), "204502");
}

TEST(Review, removingSheetsReturnsTheirPicturesAndClearsTheDuplicate) {
  Graded graded;
  std::vector<Uuid> pictures = graded.numbered(1).pageImages;
  ASSERT_FALSE(pictures.empty());
  auto removed = Review::removeSheet(graded.doc, graded.numbered(1).id);
  ASSERT_TRUE(removed);
  EXPECT_EQ(*removed, pictures);
  EXPECT_EQ(graded.doc.sheets.size(), 1u);
  EXPECT_EQ(graded.idFlag(2), nullptr);
  EXPECT_FALSE(Review::removeSheet(graded.doc, Uuid::random()));

  Graded both;
  EXPECT_FALSE(Review::removeSheets(both.doc, {both.numbered(1).id, Uuid::random()}));
  EXPECT_EQ(both.doc.sheets.size(), 2u) << "all or nothing";
  auto all = Review::removeSheets(both.doc, {both.numbered(1).id, both.numbered(2).id});
  ASSERT_TRUE(all);
  EXPECT_EQ(all->size(), 1u) << "sheet 1's picture";
  EXPECT_TRUE(both.doc.sheets.empty());
}

TEST(Review, dismissingAnIssueKeepsItListed) {
  Graded graded;
  EXPECT_TRUE(Review::dismissIssue(graded.doc, graded.doc.issues[0].id));
  EXPECT_TRUE(graded.doc.issues[0].dismissed);
  EXPECT_FALSE(Review::dismissIssue(graded.doc, Uuid::random()));
}

TEST(Review, questionNumbersFollowVersionA) {
  ExamDocument doc = ExamDocument::make(
      Exam::make(Uuid::random(), "Quiz", Date::now(), 12, 4, 0, Paper::letter, 7));
  doc.exam.setVersionCount(2);
  ScannedSheet sheet = sheetAnswering(doc.exam, std::vector<std::optional<int>>(12, 0), 1);
  ReviewFlag flag = markFlag(sheet, FlagKind::blank, 4);
  EXPECT_EQ(Review::questionNumber(doc.exam, sheet, flag), doc.exam.version(1)->question(4) + 1);
  EXPECT_FALSE(Review::questionNumber(doc.exam, sheet, sheetFlag(FlagKind::studentID)));
}

// A page whose code was smudged comes in as an issue; the teacher vouches for its version.
TEST(Review, anUnreadPageGradedAsAVersionBecomesASheet) {
  Exam exam = testing::testExam(20, 4, 0, Paper::letter);
  exam.setVersionCount(2);
  SheetLayout layout(exam.signature());
  std::vector<testing::PencilMark> marks;
  for (int position = 0; position < 20; ++position)
    marks.push_back(testing::answerMark(layout, position, position % 4));
  Rect code = layout.codeRect();
  marks.push_back({{code.x + code.width / 2, code.y + code.height / 2}, 120, 120, 0.35});
  GrayImage page = testing::renderSheetPage(exam, 1, 150, marks, 1);

  ExamDocument doc = ExamDocument::make(exam);
  PageOutcome unread = Grader::readPage(page, exam, "scan.pdf", 1);
  ASSERT_TRUE(unread.problem);
  AssemblyResult assembled = Assembly::assemble({unread}, exam, {}, {});
  ASSERT_EQ(assembled.issues.size(), 1u);
  doc.issues = assembled.issues;
  const ScanIssue &issue = doc.issues[0];
  const Bytes &picture = assembled.images.at(*issue.image);

  ExamDocument unchanged = doc;
  EXPECT_FALSE(Review::gradeIssueAsVersion(doc, issue.id, 3, picture));
  EXPECT_FALSE(Review::gradeIssueAsVersion(doc, issue.id, 1, Bytes{1, 2, 3}));
  EXPECT_EQ(doc, unchanged);

  auto regrade = Review::gradeIssueAsVersion(doc, doc.issues[0].id, 1, picture);
  ASSERT_TRUE(regrade) << regrade.error();
  EXPECT_TRUE(doc.issues.empty());
  EXPECT_EQ(regrade->retired, unchanged.issues[0].image);
  ASSERT_EQ(doc.sheets.size(), 1u);
  const ScannedSheet &sheet = doc.sheets[0];
  EXPECT_EQ(sheet.version, 1);
  for (int position = 0; position < 20; ++position)
    EXPECT_EQ(sheet.marks[static_cast<size_t>(position)].choice, position % 4) << position;
  ASSERT_EQ(sheet.pageImages.size(), 1u);
  EXPECT_TRUE(regrade->images.contains(sheet.pageImages[0]));
}

TEST(Review, aBlankPageGradedAsAVersionStaysAnIssue) {
  Exam exam = testing::testExam(20, 4, 0, Paper::letter);
  ExamDocument doc = ExamDocument::make(exam);
  GrayImage white = GrayImage::blank(850, 1100, 255);
  AssemblyResult assembled =
      Assembly::assemble({Grader::readPage(white, exam, "scan.pdf", 1)}, exam, {}, {});
  doc.issues = assembled.issues;
  auto regrade = Review::gradeIssueAsVersion(doc, doc.issues[0].id, 0,
                                             assembled.images.at(*doc.issues[0].image));
  ASSERT_FALSE(regrade);
  EXPECT_TRUE(regrade.error().starts_with("The page still couldn\u2019t be read"));
  EXPECT_EQ(doc.issues.size(), 1u);
}

} // namespace
} // namespace ovalon

namespace ovalon {
namespace {

TEST(Review, openItemsAreUndecidedFlagsOnCountedSheetsAndPagesNotLeftOut) {
  Graded graded;
  std::vector<Review::Item> items = Review::items(graded.doc);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(std::ranges::all_of(items, [&](auto &i) { return Review::isOpen(graded.doc, i); }));

  graded.doc.issues[0].dismissed = true;
  EXPECT_FALSE(Review::isOpen(graded.doc, items[0]));
  Review::resolve(graded.doc, graded.numbered(1).id, graded.flagOf(1, FlagKind::faint)->id,
                  Resolution::blank());
  EXPECT_FALSE(Review::isOpen(graded.doc, items[1]));
  graded.numbered(2).excluded = true;
  EXPECT_FALSE(Review::isOpen(graded.doc, items[2]));
  EXPECT_FALSE(Review::isOpen(graded.doc, {Review::Item::Issue{Uuid::random()}}));
}

TEST(Review, steppingWrapsAroundAndSkipsWhatIsNotAccepted) {
  Graded graded;
  std::vector<Review::Item> items = Review::items(graded.doc);
  auto any = [](const Review::Item &) { return true; };
  EXPECT_EQ(Review::step(items, std::nullopt, true, any), items[0]);
  EXPECT_EQ(Review::step(items, std::nullopt, false, any), items[2]);
  EXPECT_EQ(Review::step(items, items[2], true, any), items[0]);
  EXPECT_EQ(Review::step(items, items[0], false, any), items[2]);

  graded.doc.issues[0].dismissed = true;
  auto open = [&](const Review::Item &i) { return Review::isOpen(graded.doc, i); };
  EXPECT_EQ(Review::step(items, items[2], true, open), items[1]) << "the dismissed page is passed";
  EXPECT_EQ(Review::step(items, items[1], true, open), items[2]);
  graded.numbered(2).excluded = true;
  EXPECT_EQ(Review::step(items, items[1], true, open), items[1]) << "only itself is left";
  graded.numbered(1).excluded = true;
  EXPECT_EQ(Review::step(items, items[1], true, open), std::nullopt);
  EXPECT_EQ(Review::step({}, std::nullopt, true, any), std::nullopt);
}

} // namespace
} // namespace ovalon
