#include "scanning/MarkReading.h"

#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using MarkReading::classify;

TEST(MarkClassification, decidesEachRowByTheThreeThresholds) {
  const MarkThresholds strict{0.5, 0.2, 0.5};
  const MarkThresholds loose{0.4, 0.1, 0.3};
  struct Case {
    std::vector<double> fills;
    MarkThresholds thresholds;
    std::optional<int> choice;
    std::optional<MarkFlag> flag;
    std::optional<int> strongest;
  };
  const std::vector<Case> cases{
      {{1.0, 0.1, 0.0, 0.0}, {}, 0, std::nullopt, 0},
      {{0.45, 0.1, 0.0, 0.0}, {}, std::nullopt, MarkFlag::faint, 0},
      {{0.9, 0.6, 0.0, 0.0}, {}, std::nullopt, MarkFlag::double_, 0},
      {{0.9, 0.3, 0.0, 0.0}, {}, 0, std::nullopt, 0},
      {{0.6, 0.3, 0.0, 0.0}, {}, std::nullopt, MarkFlag::double_, 0},
      {{0.15, 0.1, 0.0, 0.0}, {}, std::nullopt, MarkFlag::blank, std::nullopt},
      {{0.8, 0.8}, {}, std::nullopt, MarkFlag::double_, 0},
      {{0.6}, {}, 0, std::nullopt, 0},
      {{0.0, 0.1, 1.2, 0.05}, {}, 2, std::nullopt, 2},
      // Boundaries belong to the stronger decision: a fill equal to mark is a mark, equal
      // to faint is not blank, a runner-up under faint doesn't count, a lead of exactly
      // the margin is enough.
      {{0.5, 0.0}, {}, 0, std::nullopt, 0},
      {{0.2, 0.0}, {}, std::nullopt, MarkFlag::faint, 0},
      {{0.5, 0.19}, {}, 0, std::nullopt, 0},
      {{0.75, 0.25}, strict, 0, std::nullopt, 0},
      {{0.75, 0.26}, strict, std::nullopt, MarkFlag::double_, 0},
      {{0.45, 0.0}, loose, 0, std::nullopt, 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.fills));
    EXPECT_EQ(classify(c.fills, c.thresholds), (MarkRead{c.fills, c.choice, c.flag, c.strongest}));
  }
  EXPECT_EQ(classify(std::vector<double>{}, {}), MarkRead::empty(0));
}

TEST(MarkClassification, markedListsBubblesAtOrAboveFaintStrongestFirst) {
  const MarkThresholds defaults;
  EXPECT_EQ(MarkReading::marked(classify(std::vector{0.3, 0.9, 0.1, 0.9, 0.2}, defaults), defaults),
            (std::vector{1, 3, 0, 4}));
  EXPECT_TRUE(MarkReading::marked(MarkRead::empty(4), defaults).empty());
}

std::vector<double> levels(std::initializer_list<std::pair<int, double>> runs) {
  std::vector<double> values;
  for (auto [count, value] : runs)
    values.insert(values.end(), static_cast<size_t>(count), value);
  return values;
}

// Paper is the 30th percentile; ink the upper median of the values at least 0.22 above it,
// 0.6 above paper when there are none, at least 0.3 above it and at most 1.
TEST(MarkCalibration, findsPaperAndInkLevels) {
  struct Case {
    std::vector<double> raw;
    double paper, ink;
  };
  const std::vector<Case> cases{
      {{}, 0.0, 0.7},
      {levels({{70, 0.05}, {5, 0.4}, {10, 0.8}}), 0.05, 0.8},
      {levels({{3, 0.0}, {1, 0.1}, {6, 0.2}}), 0.1, 0.7},
      {levels({{100, 0.03}}), 0.03, 0.63},
      {levels({{60, 0.8}}), 0.8, 1.0},
      {levels({{10, 0.1}, {1, 0.33}, {1, 0.35}}), 0.1, 0.4},
      {levels({{10, 0.1}, {1, 0.33}, {1, 0.9}}), 0.1, 0.9},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.raw));
    const auto found = MarkReading::calibrate(c.raw);
    EXPECT_NEAR(found.paper, c.paper, 1e-12);
    EXPECT_NEAR(found.ink, c.ink, 1e-12);
  }
}

TEST(MarkCalibration, normalizeClampsToZeroAndOneAndAHalf) {
  const auto fills = MarkReading::normalize({0.1, 0.6}, std::vector{0.0, 0.1, 0.35, 0.6, 1.0});
  const std::vector expected{0.0, 0.0, 0.5, 1.0, 1.5};
  for (size_t i = 0; i < expected.size(); ++i)
    EXPECT_NEAR(fills.at(i), expected[i], 1e-12) << i;
  // A span under 0.05 is widened to 0.05.
  EXPECT_NEAR(MarkReading::normalize({0.5, 0.51}, std::vector{0.52})[0], 0.4, 1e-9);
}

// Sampled at the exact corner centres: the printed outline stays outside the sample, only
// the small choice letter shows, and a pencil mark fills it.
TEST(MarkSampling, emptyBubblesReadLowAndFilledOnesHigh) {
  const Exam exam = testing::testExam(20, 5, 10, Paper::letter);
  const SheetLayout layout(exam);
  const GrayImage page = testing::renderSheetPage(
      exam, 1, 180, {testing::answerMark(layout, 4, 3), testing::idMark(layout, 9, 0)});
  std::array<Point, 4> corners;
  for (size_t i = 0; i < 4; ++i)
    corners[i] = {layout.cornerCenters()[i].x * 2.5, layout.cornerCenters()[i].y * 2.5};
  const auto straight = GrayImage::straightened(page, corners, layout.pageSize);
  ASSERT_TRUE(straight);
  using Kind = MarkReading::BubbleKind;
  for (int position = 0; position < 20; ++position)
    for (int slot = 0; slot < 5; ++slot) {
      const double fill =
          MarkReading::sample(*straight, layout.bubbleCenter(position, slot), Kind::answer);
      if (position == 4 && slot == 3)
        EXPECT_GT(fill, 0.75);
      else
        EXPECT_LT(fill, 0.15) << position << " " << slot;
    }
  for (int column = 0; column < 10; ++column)
    for (int digit = 0; digit < 10; ++digit) {
      const double fill =
          MarkReading::sample(*straight, layout.idBubbleCenter(column, digit), Kind::studentID);
      if (column == 9 && digit == 0)
        EXPECT_GT(fill, 0.75);
      else
        EXPECT_LT(fill, 0.15) << column << " " << digit;
    }
}

} // namespace
} // namespace ovalon
