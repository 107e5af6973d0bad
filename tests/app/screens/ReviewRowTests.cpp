#include "AppTestScans.h"

#include "screens/FillBars.h"
#include "screens/ReviewRow.h"
#include "support/GradingFixtures.h"

#include <QLabel>

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using namespace fixtures;
using testing::unreadPage;

// A two-version test with one version B sheet that left its first printed row blank and
// one missing page, and a page that wasn't read.
struct Rows {
  ExamDocument doc;
  Review::Item blank;
  Review::Item missing;
  Review::Item issue;

  Rows() {
    Exam exam = examWithKey(6, 4, {0, 1, 2, 3, 0, 1});
    exam.setVersionCount(2);
    doc = ExamDocument::make(exam);
    ScannedSheet sheet = sheetAnswering(doc.exam, {std::nullopt, 1, 2, 3, 0, 1}, 1, "1001");
    sheet.number = 2;
    sheet.flags.push_back(sheetFlag(FlagKind::missingPage));
    doc.sheets = {sheet};
    ScanIssue unread = unreadPage("scan.pdf", 4);
    doc.issues = {unread};
    blank = {Review::Item::Flag{sheet.id, sheet.flags[0].id}};
    missing = {Review::Item::Flag{sheet.id, sheet.flags[1].id}};
    issue = {Review::Item::Issue{unread.id}};
  }

  ReviewFlag &flag(int index) { return doc.sheets[0].flags[static_cast<size_t>(index)]; }
};

TEST(ReviewRow, namesTheKindAndTheQuestionInVersionANumbers) {
  Rows rows;
  auto blank = ReviewRow::make(rows.doc, rows.blank);
  ASSERT_TRUE(blank);
  EXPECT_EQ(blank->kind, ReviewRow::Kind::blank);
  EXPECT_EQ(blank->title, "Blank");
  int master = rows.doc.exam.versions[1].question(0) + 1;
  EXPECT_EQ(blank->detail, "Sheet 2 (Q" + std::to_string(master) + " on version A)");
  EXPECT_TRUE(blank->open);
  EXPECT_FALSE(blank->settled);

  auto missing = ReviewRow::make(rows.doc, rows.missing);
  EXPECT_EQ(missing->title, "Missing page");
  EXPECT_EQ(missing->detail, "Sheet 2");

  auto issue = ReviewRow::make(rows.doc, rows.issue);
  EXPECT_EQ(issue->kind, ReviewRow::Kind::issue);
  EXPECT_EQ(issue->title, "Pages Not Read");
  EXPECT_TRUE(issue->open);

  EXPECT_FALSE(ReviewRow::make(rows.doc, {Review::Item::Issue{Uuid::random()}}));
}

TEST(ReviewRow, saysWhatWasDecidedAndLeftOutWins) {
  Rows rows;
  rows.flag(0).resolution = Resolution::choice(2);
  EXPECT_EQ(ReviewRow::make(rows.doc, rows.blank)->settled, "Set to C");
  EXPECT_FALSE(ReviewRow::make(rows.doc, rows.blank)->open);
  rows.flag(0).resolution = Resolution::blank();
  EXPECT_EQ(ReviewRow::make(rows.doc, rows.blank)->settled, "Settled");
  rows.flag(1).resolution = Resolution::accept();
  EXPECT_EQ(ReviewRow::make(rows.doc, rows.missing)->settled, "Accepted");

  rows.flag(1).resolution.reset();
  rows.doc.sheets[0].excluded = true;
  auto missing = ReviewRow::make(rows.doc, rows.missing);
  EXPECT_EQ(missing->settled, "Left out");
  EXPECT_FALSE(missing->open);

  rows.doc.issues[0].dismissed = true;
  EXPECT_EQ(ReviewRow::make(rows.doc, rows.issue)->settled, "Left out");
}

TEST(FillBars, showEachBubblesFillAndSayWhenNoneLookFilled) {
  FillBars bars;
  bars.setFills({0.05, 0.12, 0.0, 0.19});
  auto *none = bars.findChild<QLabel *>("noneFilled");
  EXPECT_FALSE(none->isHidden());
  EXPECT_EQ(none->text(), "None look filled.");
  EXPECT_EQ(bars.findChild<QLabel *>("fillB")->text(), "12% filled");

  bars.setFills({0.05, 0.85, 1.3});
  EXPECT_TRUE(none->isHidden());
  EXPECT_EQ(bars.findChild<QLabel *>("fillC")->text(), "100% filled");
  EXPECT_FALSE(bars.findChild<QLabel *>("fillD")) << "a row of three has no D";
}

} // namespace
} // namespace ovalon
