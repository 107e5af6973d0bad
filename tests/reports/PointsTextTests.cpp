#include "reports/PointsText.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

TEST(PointsText, wholeNumbersHaveNoDecimalsAndOthersAtMostTwo) {
  EXPECT_EQ(pointsText(3), "3");
  EXPECT_EQ(pointsText(0), "0");
  EXPECT_EQ(pointsText(12), "12");
  EXPECT_EQ(pointsText(2.5), "2.5");
  EXPECT_EQ(pointsText(2.25), "2.25");
  EXPECT_EQ(pointsText(1.0 / 3), "0.33");
  EXPECT_EQ(pointsText(0.999), "1");
  EXPECT_EQ(pointsText(-1.5), "-1.5");
}

} // namespace
} // namespace ovalon
