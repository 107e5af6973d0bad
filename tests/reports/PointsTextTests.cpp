#include "reports/PointsText.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

TEST(PointsText, wholeNumbersHaveNoDecimalsAndOthersAtMostTwo) {
  for (auto [points, text] : {std::pair{3.0, "3"},
                              {0.0, "0"},
                              {12.0, "12"},
                              {2.5, "2.5"},
                              {2.25, "2.25"},
                              {1.0 / 3, "0.33"},
                              {0.999, "1"},
                              {-1.5, "-1.5"}})
    EXPECT_EQ(pointsText(points), text) << points;
}

} // namespace
} // namespace ovalon
