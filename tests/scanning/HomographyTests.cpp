#include "scanning/Homography.h"

#include <gtest/gtest.h>

#include <vector>

namespace ovalon {
namespace {

void expectNear(Point actual, Point expected) {
  EXPECT_NEAR(actual.x, expected.x, 1e-6);
  EXPECT_NEAR(actual.y, expected.y, 1e-6);
}

const std::vector<Point> square{{0, 0}, {1, 0}, {1, 1}, {0, 1}};

TEST(Homography, fourPairsGiveTheProjectiveMapThroughThem) {
  // A square onto a trapezoid: the centre lands where the trapezoid's
  // diagonals cross, (0.5, 2/3), not at the mean of its corners.
  const std::vector<Point> trapezoid{{0, 0}, {1, 0}, {0.75, 1}, {0.25, 1}};
  const auto h = Homography::fitted(square, trapezoid);
  ASSERT_TRUE(h);
  for (size_t i = 0; i < 4; ++i)
    expectNear(h->map(square[i]), trapezoid[i]);
  expectNear(h->map({0.5, 0.5}), {0.5, 2.0 / 3});
  // Along the top edge the trapezoid keeps the square's scale.
  expectNear(h->steps({0.5, 0})[0], {1, 0});
}

TEST(Homography, affineFitFollowsThreePairsExactlyAndAveragesMore) {
  // Scaled by 2, turned a quarter clockwise (y down), moved by (10, 20).
  auto move = [](Point p) { return Point{10 - 2 * p.y, 20 + 2 * p.x}; };
  std::vector<Point> moved;
  for (Point p : square)
    moved.push_back(move(p));
  const auto three =
      Homography::fittedAffine(std::span(square).first(3), std::span(moved).first(3));
  ASSERT_TRUE(three);
  expectNear(three->map({0, 1}), move({0, 1}));
  expectNear(three->map({7, -3}), move({7, -3}));

  // One corner pushed off: least squares spreads it over all four.
  moved[2].x += 1;
  const auto four = Homography::fittedAffine(square, moved);
  ASSERT_TRUE(four);
  EXPECT_NEAR(four->map({1, 1}).x, move({1, 1}).x + 0.75, 1e-6);
}

TEST(Homography, degeneratePointsHaveNoFit) {
  const std::vector<Point> line{{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  EXPECT_FALSE(Homography::fitted(square, line));
  EXPECT_FALSE(Homography::fittedAffine(std::span(line).first(3), std::span(square).first(3)));
  EXPECT_FALSE(Homography::fitted(std::span(square).first(3), std::span(square).first(3)));
}

} // namespace
} // namespace ovalon
