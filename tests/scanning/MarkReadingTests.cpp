#include "scanning/MarkReading.h"

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

} // namespace
} // namespace ovalon
