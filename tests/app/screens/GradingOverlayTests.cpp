#include "screens/ScanOverlay.h"
#include "sheets/SheetLayout.h"
#include "support/GradingFixtures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using namespace fixtures;
using Mark = ScanOverlay::Mark;

TEST(ScanOverlay, ringsRightWrongAndOpenRowsAndSummarisesThem) {
  Exam exam = examWithKey(4, 4, {0, 1, 2});                           // question 4 unkeyed
  ScannedSheet sheet = sheetAnswering(exam, {0, 2, std::nullopt, 1}); // Q3 blank and flagged
  auto rings = ScanOverlay::rings(exam, sheet, 1);
  ASSERT_EQ(rings.size(), 3u) << "an unkeyed question gets no ring";
  EXPECT_EQ(rings[0].mark, Mark::right);
  EXPECT_TRUE(rings[0].round);
  EXPECT_EQ(rings[1].mark, Mark::wrong);
  EXPECT_EQ(rings[2].mark, Mark::review);
  EXPECT_FALSE(rings[2].round);
  EXPECT_EQ(ScanOverlay::summary(rings, 1),
            "Scanned sheet, page 1: Wrong or blank: questions 2. 1 to review.");

  // The ring sits on the chosen bubble, in fractions of the frame between corner centres.
  SheetLayout layout(exam);
  Rect frame = layout.cornerFrame();
  Point bubble = layout.bubbleCenter(1, 2);
  EXPECT_NEAR(rings[1].rect.center().x(), (bubble.x - frame.x) / frame.width, 1e-9);
  EXPECT_NEAR(rings[1].rect.center().y(), (bubble.y - frame.y) / frame.height, 1e-9);

  // Settled as blank, the row counts as wrong and is ringed at its number.
  sheet.flags[0].resolution = Resolution::blank();
  rings = ScanOverlay::rings(exam, sheet, 1);
  EXPECT_EQ(rings[2].mark, Mark::wrong);
  EXPECT_FALSE(rings[2].round);
  EXPECT_EQ(ScanOverlay::summary(rings, 1),
            "Scanned sheet, page 1: Wrong or blank: questions 2, 3.");

  sheet = sheetAnswering(exam, {0, 1, 2, 3});
  EXPECT_EQ(ScanOverlay::summary(ScanOverlay::rings(exam, sheet, 1), 1),
            "Scanned sheet, page 1: Every answer is right.");
  EXPECT_TRUE(ScanOverlay::rings(exam, sheet, 2).empty()) << "a one-page test has no page 2";
}

TEST(ScanOverlay, aSecondPageRingsOnlyItsOwnQuestions) {
  Exam exam = examWithKey(120, 4, std::vector<int>(120, 1));
  std::vector<std::optional<int>> answers(120, 1);
  ScannedSheet sheet = sheetAnswering(exam, answers);
  auto rings = ScanOverlay::rings(exam, sheet, 2);
  ASSERT_EQ(rings.size(), 20u);
  EXPECT_TRUE(std::ranges::all_of(
      rings, [](const auto &ring) { return ring.position >= 100 && ring.mark == Mark::right; }));
}

} // namespace
} // namespace ovalon
