#include "scanning/CornerFinder.h"

#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ovalon {
namespace {

using CornerFinder::findCornersBlobs;
using CornerFinder::findCornersVision;

const Exam letterExam = testing::testExam(40, 4, 6, Paper::letter);

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

using Finder = std::optional<Corners> (*)(double, const GrayImage &, int);

TEST(CornerFinder, failsOnAWhitePageAndOnAMissingSquare) {
  const GrayImage white = GrayImage::blank(1700, 2200, 255);
  EXPECT_EQ(CornerFinder::inkThreshold(white.pixels), 128);
  EXPECT_FALSE(findCornersVision(50, white, 128));
  EXPECT_FALSE(findCornersBlobs(50, white, 128));

  GrayImage page = testing::renderSheetPage(letterExam, 1, 200);
  for (int64_t y = 2000; y < 2200; ++y) // bottom-left square covered
    for (int64_t x = 0; x < 200; ++x)
      page.set(x, y, 255);
  const int threshold = CornerFinder::inkThreshold(page.pixels);
  EXPECT_FALSE(findCornersVision(50, page, threshold));
  EXPECT_FALSE(findCornersBlobs(50, page, threshold));
}

TEST(CornerFinder, prefersTheSquareNearestTheImageCornerAndIgnoresLargeShadows) {
  GrayImage page = testing::renderSheetPage(letterExam, 1, 200);
  auto fill = [&page](int64_t x0, int64_t y0, int64_t w, int64_t h) {
    for (int64_t y = y0; y < y0 + h; ++y)
      for (int64_t x = x0; x < x0 + w; ++x)
        page.set(x, y, 0);
  };
  fill(10, 10, 50, 50);      // a square-sized blot nearer the top-left corner
  fill(1300, 0, 400, 60);    // a lid shadow along the top edge, nearer the corner than the square
  fill(1450, 250, 250, 250); // and a large square-ish blot in the same region
  const int threshold = CornerFinder::inkThreshold(page.pixels);
  for (Finder finder : {&findCornersVision, &findCornersBlobs}) {
    const auto found = finder(50, page, threshold);
    ASSERT_TRUE(found);
    EXPECT_LT(distance((*found)[0], {35, 35}), 1.0);
    EXPECT_LT(distance((*found)[1], {1600, 100}), 1.0); // the printed square, 36 pt in
  }
}

TEST(CornerFinder, blobBoundsAreInclusive) {
  // s = 10: a 6 × 10 blob has width ÷ height exactly 0.6; a 5 × 10 blob does not pass.
  auto pageWith = [](int64_t blobWidth) {
    GrayImage page = GrayImage::blank(200, 200, 255);
    for (const auto &[cx, cy] : {std::pair{20, 20}, {180, 20}, {180, 180}, {20, 180}})
      for (int64_t y = cy - 5; y < cy + 5; ++y)
        for (int64_t x = cx - 3; x < cx - 3 + blobWidth; ++x)
          page.set(x, y, 0);
    return page;
  };
  const auto found = findCornersBlobs(10, pageWith(6), 128);
  ASSERT_TRUE(found);
  EXPECT_DOUBLE_EQ((*found)[0].x, 20.0); // pixels 17…22: centroid 19.5 + 0.5
  EXPECT_DOUBLE_EQ((*found)[0].y, 20.0);
  EXPECT_FALSE(findCornersBlobs(10, pageWith(5), 128));
}

TEST(CornerFinder, inkThresholdIsOtsuOverASampleClampedTo70Through180) {
  auto twoLevels = [](uint8_t a, uint8_t b) {
    std::vector<uint8_t> pixels(1000, a);
    std::fill(pixels.begin() + 500, pixels.end(), b);
    return pixels;
  };
  EXPECT_EQ(CornerFinder::inkThreshold(twoLevels(100, 150)), 100);
  EXPECT_EQ(CornerFinder::inkThreshold(twoLevels(40, 250)), 70);
  EXPECT_EQ(CornerFinder::inkThreshold(twoLevels(200, 250)), 180);
  // 400 000 pixels are sampled every second one: the dark odd pixels are never seen.
  std::vector<uint8_t> striped(400'000, 100);
  for (size_t i = 1; i < striped.size(); i += 2)
    striped[i] = 10;
  EXPECT_EQ(CornerFinder::inkThreshold(striped), 128);
  EXPECT_EQ(CornerFinder::inkThreshold({}), 128);
}

TEST(CornerOrientation, theCornerNearestTheSymbolBecomesTopRight) {
  const Corners image{{{0, 0}, {100, 0}, {100, 130}, {0, 130}}};
  EXPECT_EQ(CornerFinder::orientCorners(image, std::nullopt), image);
  EXPECT_EQ(CornerFinder::orientCorners(image, Point{90, 10}), image);
  // Upside down: the symbol is near the image's bottom-left.
  EXPECT_EQ(CornerFinder::orientCorners(image, Point{10, 120}),
            (Corners{image[2], image[3], image[0], image[1]}));
  // Turned clockwise: the sheet's top-right is the image's bottom-right.
  EXPECT_EQ(CornerFinder::orientCorners(image, Point{95, 120}),
            (Corners{image[1], image[2], image[3], image[0]}));
  // Equal distances keep the lower index: the image's top-left becomes top-right.
  EXPECT_EQ(CornerFinder::orientCorners(image, Point{50, 0}),
            (Corners{image[3], image[0], image[1], image[2]}));
}

TEST(CornerOrientation, plausibleCornersSpanTheCornerFrame) {
  const Size paper{612, 792};
  auto frame = [](double scale) {
    return Corners{{{10, 10},
                    {10 + 540 * scale, 10},
                    {10 + 540 * scale, 10 + 720 * scale},
                    {10, 10 + 720 * scale}}};
  };
  EXPECT_TRUE(CornerFinder::plausibleCorners(frame(2.5), paper));
  EXPECT_TRUE(CornerFinder::plausibleCorners(frame(0.1), paper));   // sides 54 and 72
  EXPECT_FALSE(CornerFinder::plausibleCorners(frame(0.03), paper)); // sides under 20
  // A4 proportions do not fit a Letter frame (ratio off by 7.9 %… just inside) nor
  // a square one.
  EXPECT_FALSE(CornerFinder::plausibleCorners({{{0, 0}, {700, 0}, {700, 700}, {0, 700}}}, paper));
  // Top edge 12 % longer than the bottom edge: a too-skewed photo.
  EXPECT_FALSE(
      CornerFinder::plausibleCorners({{{0, 0}, {1120, 0}, {1060, 1400}, {60, 1400}}}, paper));
  // A parallelogram: edges match but the diagonals differ.
  EXPECT_FALSE(
      CornerFinder::plausibleCorners({{{0, 0}, {1000, 0}, {1300, 1300}, {300, 1300}}}, paper));
}

} // namespace
} // namespace ovalon
