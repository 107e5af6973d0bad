#include "scanning/Homography.h"
#include "scanning/ImageProcessing.h"
#include "scanning/QrReader.h"
#include "scanning/RectangleDetector.h"
#include "scanning/TextRecognizer.h"

#include "support/PageDistortion.h"
#include "support/TestDrawing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace ovalon {
namespace {

Point centreOf(const RectangleObservation &r) {
  return {(r.topLeft.x + r.topRight.x + r.bottomRight.x + r.bottomLeft.x) / 4,
          (r.topLeft.y + r.topRight.y + r.bottomRight.y + r.bottomLeft.y) / 4};
}

TEST(QrReader, findsSymbolTextAndBottomLeftNormalisedBox) {
  // 21 + 0 margin modules for a short text: version 1 at ECC Q is 21 modules.
  const GrayImage image = testing::drawnImage(
      400, 300, [](cairo_t *cr) { testing::drawQr(cr, "OVALON TEST", 200, 40, 4); });
  const auto found = QrReader::detect(image);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].payload, "OVALON TEST");
  const auto &box = found[0].boundingBox;
  // The symbol spans x 200…284 and y 40…124 in pixels (y down).
  EXPECT_NEAR(box.x * 400, 200, 3);
  EXPECT_NEAR(box.width * 400, 84, 5);
  EXPECT_NEAR((1 - box.y - box.height) * 300, 40, 3);
  EXPECT_NEAR((1 - box.y) * 300, 124, 5);
}

TEST(QrReader, readsRotatedAndNoisySymbolsAndIgnoresBlankPages) {
  const GrayImage page =
      testing::drawnImage(500, 500, [](cairo_t *cr) { testing::drawQr(cr, "V1|P2", 150, 150, 6); });
  const auto scan =
      testing::distort(page, {.rotationDegrees = 180 + 4, .noise = 12, .jpegQuality = 60});
  const auto found = QrReader::detect(scan.image);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].payload, "V1|P2");
  EXPECT_TRUE(QrReader::detect(GrayImage::blank(300, 300, 255)).empty());
  EXPECT_TRUE(QrReader::detect(GrayImage()).empty());
}

TEST(RectangleDetector, reportsSolidSquaresWithinTheLimits) {
  const GrayImage image = testing::drawnImage(400, 200, [](cairo_t *cr) {
    cairo_rectangle(cr, 40, 50, 40, 40);   // square
    cairo_rectangle(cr, 150, 50, 100, 20); // too long and thin (aspect 0.2)
    cairo_rectangle(cr, 300, 150, 6, 6);   // too small
    cairo_fill(cr);
    cairo_arc(cr, 330, 60, 25, 0, 7); // a disc, not a quadrilateral
    cairo_fill(cr);
  });
  RectangleOptions options{.minimumAspectRatio = 0.6,
                           .minimumSize = 0.1,
                           .maximumObservations = 12,
                           .minimumConfidence = 0.3};
  const auto found = RectangleDetector::detect(image, options);
  ASSERT_TRUE(found);
  ASSERT_EQ(found->size(), 1u);
  const auto &square = found->front();
  EXPECT_NEAR(centreOf(square).x * 400, 60, 1);
  EXPECT_NEAR((1 - centreOf(square).y) * 200, 70, 1);
  EXPECT_GT(square.confidence, 0.9);
  // The corners come in reading order with the origin at the bottom-left.
  EXPECT_LT(square.topLeft.x, square.topRight.x);
  EXPECT_GT(square.topLeft.y, square.bottomLeft.y);
  EXPECT_NEAR(square.topLeft.x * 400, 40, 1.5);
  EXPECT_NEAR((1 - square.topLeft.y) * 200, 50, 1.5);

  options.minimumAspectRatio = 0.1;
  EXPECT_EQ(RectangleDetector::detect(image, options)->size(), 2u);
}

TEST(RectangleDetector, toleratesTiltWithinQuadratureAndCapsTheCount) {
  const GrayImage image = testing::drawnImage(600, 300, [](cairo_t *cr) {
    for (int i = 0; i < 5; ++i)
      cairo_rectangle(cr, 20 + 110 * i, 20, 60, 60);
    cairo_fill(cr);
    cairo_save(cr);
    cairo_translate(cr, 300, 220);
    cairo_rotate(cr, 0.35); // 20 degrees: still a square
    cairo_rectangle(cr, -30, -30, 60, 60);
    cairo_fill(cr);
    cairo_restore(cr);
  });
  RectangleOptions options{
      .minimumAspectRatio = 0.6, .minimumSize = 0.1, .maximumObservations = 12};
  EXPECT_EQ(RectangleDetector::detect(image, options)->size(), 6u);
  options.maximumObservations = 3;
  EXPECT_EQ(RectangleDetector::detect(image, options)->size(), 3u);
  EXPECT_TRUE(RectangleDetector::detect(GrayImage::blank(100, 100, 255), options)->empty());
}

GrayImage handwrittenLine(const char *text) {
  return testing::drawnImage(700, 120, [text](cairo_t *cr) {
    cairo_select_font_face(cr, "Humor Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 56);
    cairo_move_to(cr, 20, 80);
    cairo_show_text(cr, text);
  });
}

TEST(TextRecognizer, readsOneLineWordByWordWithRankedCandidates) {
  const auto words = TextRecognizer::recognize(handwrittenLine("MARIA LOPEZ"));
  ASSERT_TRUE(words);
  ASSERT_EQ(words->size(), 2u);
  EXPECT_EQ((*words)[0].topCandidates.front().string, "MARIA");
  EXPECT_EQ((*words)[1].topCandidates.front().string, "LOPEZ");
  for (const auto &word : *words) {
    ASSERT_FALSE(word.topCandidates.empty());
    EXPECT_LE(word.topCandidates.size(), 3u);
    EXPECT_GT(word.topCandidates.front().confidence, 0.5);
    EXPECT_LE(word.topCandidates.front().confidence, 1.0);
    for (size_t i = 1; i < word.topCandidates.size(); ++i) {
      EXPECT_LE(word.topCandidates[i].confidence, word.topCandidates[i - 1].confidence);
      EXPECT_NE(word.topCandidates[i].string, word.topCandidates[0].string);
    }
  }
}

TEST(TextRecognizer, ignoresTextBelowTheMinimumHeightAndWorksOnEveryThread) {
  const GrayImage small = testing::drawnImage(700, 400, [](cairo_t *cr) {
    cairo_set_font_size(cr, 30);
    cairo_move_to(cr, 20, 200);
    cairo_show_text(cr, "Small words");
  });
  const auto none = TextRecognizer::recognize(small);
  ASSERT_TRUE(none);
  EXPECT_TRUE(none->empty());
  EXPECT_FALSE(TextRecognizer::recognize(small, {.minimumTextHeight = 0.01})->empty());

  std::vector<std::string> read(2);
  {
    std::jthread a([&] {
      read[0] = TextRecognizer::recognize(handwrittenLine("ADA"))->at(0).topCandidates[0].string;
    });
    std::jthread b([&] {
      read[1] = TextRecognizer::recognize(handwrittenLine("GRACE"))->at(0).topCandidates[0].string;
    });
  }
  EXPECT_EQ(read[0], "ADA");
  EXPECT_EQ(read[1], "GRACE");
}

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
