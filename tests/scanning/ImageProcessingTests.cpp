#include "scanning/ImageProcessing.h"

#include "scanning/QrReader.h"
#include "support/TestDrawing.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

// Left half dark gray, right half light gray.
GrayImage stepEdge() {
  GrayImage image = GrayImage::blank(40, 20, 200);
  for (int64_t y = 0; y < 20; ++y)
    for (int64_t x = 0; x < 20; ++x)
      image.set(x, y, 60);
  return image;
}

TEST(ImageProcessing, lanczosDoublesTheImageAndKeepsEdgesInPlace) {
  const GrayImage big = ImageProcessing::lanczosScaled(stepEdge(), 2);
  EXPECT_EQ(big.width, 80);
  EXPECT_EQ(big.height, 40);
  EXPECT_NEAR(big.at(10, 20), 60, 2);
  EXPECT_NEAR(big.at(70, 20), 200, 2);
  // The edge between source columns 19 and 20 lands between 39 and 40.
  EXPECT_LT(big.at(37, 20), 100);
  EXPECT_GT(big.at(42, 20), 160);
}

TEST(ImageProcessing, unsharpMaskSteepensEdgesAndLeavesFlatAreas) {
  const GrayImage sharp = ImageProcessing::unsharpMasked(stepEdge(), 2.5, 0.8);
  EXPECT_EQ(sharp.width, 40);
  EXPECT_EQ(sharp.at(2, 10), 60);
  EXPECT_EQ(sharp.at(37, 10), 200);
  EXPECT_LT(sharp.at(18, 10), 60);  // undershoot on the dark side
  EXPECT_GT(sharp.at(21, 10), 200); // overshoot on the light side
}

TEST(ImageProcessing, enlargedAndSharpenedSmallSymbolStillDecodes) {
  // A symbol of 2-pixel modules, blurred by area-averaging to half size, then
  // enlarged and sharpened again as the symbol search does for corner regions.
  const GrayImage small = testing::drawnImage(
      200, 200, [](cairo_t *cr) { testing::drawQr(cr, "OVALON|A|1", 40, 40, 4); });
  const GrayImage blurred = ImageProcessing::resizedByArea(small, 100, 100);
  const GrayImage restored =
      ImageProcessing::unsharpMasked(ImageProcessing::lanczosScaled(blurred, 2), 2.5, 0.8);
  const auto found = QrReader::detect(restored);
  ASSERT_FALSE(found.empty());
  EXPECT_EQ(found[0].payload, "OVALON|A|1");
}

} // namespace
} // namespace ovalon
