#include "scanning/NameMatcher.h"
#include "support/GradingFixtures.h"
#include "workflow/Settling.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using fixtures::examWithKey;
using fixtures::markFlag;
using fixtures::sheetAnswering;
using fixtures::sheetFlag;

ReviewFlag withFills(ReviewFlag flag, std::vector<double> fills, std::optional<int> darkest) {
  flag.fills = std::move(fills);
  flag.suggestion = darkest;
  return flag;
}

struct Class {
  ExamDocument doc = ExamDocument::make(examWithKey(4, 4, {0, 1, 2, 3}));

  Class() { doc.roster.students = {{"204501", "Avery", "Brooks"}, {"204502", "Jordan", "Pike"}}; }

  ScannedSheet &add(std::vector<ReviewFlag> flags, std::optional<NameRead> name = {}) {
    ScannedSheet sheet = sheetAnswering(doc.exam, {0, 1, 2, 3}, 0, "");
    sheet.number = static_cast<int>(doc.sheets.size()) + 1;
    sheet.flags = std::move(flags);
    sheet.name = std::move(name);
    doc.sheets.push_back(std::move(sheet));
    return doc.sheets.back();
  }
  ScannedSheet blankSheet() { return sheetAnswering(doc.exam, {0, 1, 2, 3}); }
};

TEST(Settling, marksGetWhatACarefulTeacherWouldDecide) {
  Class c;
  ScannedSheet rows = c.blankSheet();
  c.add({withFills(markFlag(rows, FlagKind::faint, 0), {0.3, 0.02, 0.01, 0.0}, 0),
         withFills(markFlag(rows, FlagKind::double_, 1), {0.1, 1.0, 0.0, 0.8}, 1),
         withFills(markFlag(rows, FlagKind::double_, 2), {0.0, 0.95, 1.0, 0.0}, 2),
         withFills(markFlag(rows, FlagKind::blank, 3), {0.0, 0.02, 0.01, 0.0}, std::nullopt)});
  std::vector<Settling::Step> steps = Settling::settle(c.doc);
  ASSERT_EQ(steps.size(), 4u);
  EXPECT_EQ(steps[0].item, "Sheet 1 \u00B7 Question 1");
  EXPECT_EQ(steps[0].decision, "set to A, the darkest mark");
  EXPECT_EQ(steps[1].decision, "set to B, the darkest mark; the other looks erased");
  EXPECT_EQ(steps[2].decision, "accepted as two answers, which score nothing");
  EXPECT_EQ(steps[3].decision, "left blank");
  EXPECT_TRUE(std::ranges::all_of(steps, &Settling::Step::settled));

  const ScannedSheet &sheet = c.doc.sheets[0];
  EXPECT_TRUE(sheet.openFlags().empty());
  EXPECT_EQ(sheet.flags[0].resolution, Resolution::choice(0));
  EXPECT_EQ(sheet.flags[1].resolution, Resolution::choice(1));
  EXPECT_EQ(sheet.flags[2].resolution, Resolution::accept());
  EXPECT_EQ(sheet.flags[3].resolution, Resolution::blank());
  EXPECT_TRUE(Settling::settle(c.doc).empty()) << "settled items are not touched again";
}

TEST(Settling, idsGoToTheStudentTheNameLineClearlyMatches) {
  Class c;
  c.add({sheetFlag(FlagKind::studentID, "ID 204599 isn't on the roster.")},
        NameRead{"Avery Brooks", {}, 0.9});
  c.add({sheetFlag(FlagKind::studentID, "No ID was bubbled.")});
  // Half of each student's name: a match, but no clear one.
  const NameRead halves{"Avery Pike", {}, 0.9};
  ASSERT_FALSE(NameMatcher::match(halves, c.doc.roster.students, 3).empty());
  c.add({sheetFlag(FlagKind::studentID, "No ID was bubbled.")}, halves);
  std::vector<Settling::Step> steps = Settling::settle(c.doc);
  ASSERT_EQ(steps.size(), 3u);
  EXPECT_TRUE(steps[0].settled);
  EXPECT_EQ(steps[0].decision, "counted for Avery Brooks (204501), whom the name line matches");
  EXPECT_EQ(c.doc.sheets[0].studentID(), "204501");
  EXPECT_FALSE(steps[1].settled);
  EXPECT_EQ(steps[1].decision, "left open: the name line matches no roster student clearly");
  EXPECT_EQ(c.doc.sheets[1].openFlags().size(), 1u);
  EXPECT_EQ(steps[2].decision, steps[1].decision);
  EXPECT_FALSE(c.doc.sheets[2].studentID());
}

TEST(Settling, missingPagesAndSheetsLeftOutAreNotDecidedForTheTeacher) {
  Class c;
  c.add({sheetFlag(FlagKind::missingPage, "Page 2 wasn't in the scan.")});
  ScannedSheet rows = c.blankSheet();
  c.add({markFlag(rows, FlagKind::blank, 0)}).excluded = true;
  std::vector<Settling::Step> steps = Settling::settle(c.doc);
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_FALSE(steps[0].settled);
  EXPECT_EQ(steps[0].item, "Sheet 1");
  EXPECT_FALSE(c.doc.sheets[0].flags[0].resolution);
  EXPECT_FALSE(c.doc.sheets[1].flags[0].resolution);
}

} // namespace
} // namespace ovalon
