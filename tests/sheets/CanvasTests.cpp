#include "sheets/BitmapCanvas.h"
#include "sheets/PdfWriter.h"
#include "sheets/TextLine.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

namespace ovalon {
namespace {

using testing::darkBounds;
using testing::drawPage;
using testing::region;
using testing::Region;

constexpr Size letter{612, 792};
constexpr Size small{100, 100};

void flip(Canvas &canvas, double height) {
  canvas.translate(0, height);
  canvas.scale(1, -1);
}

TEST(PdfWriter, writesPagesOfOneSizeWithTitleAndCreator) {
  auto writer = PdfWriter::open(letter, "Unit 3 “Fractions”");
  ASSERT_TRUE(writer);
  for (int i = 0; i < 3; ++i) {
    Canvas &canvas = writer->beginPage();
    canvas.fillRect({10, 10, 50, 50});
    writer->endPage();
  }
  EXPECT_EQ(writer->pageCount(), 3);
  auto bytes = writer->close();
  ASSERT_TRUE(bytes);
  EXPECT_FALSE(writer->close()); // finished once
  auto facts = testing::pdfFacts(*bytes);
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->pageCount, 3);
  EXPECT_EQ(facts->title, "Unit 3 “Fractions”");
  EXPECT_EQ(facts->creator, "Ovalon");
  EXPECT_NEAR(facts->pageSize.width, 612, 0.01);
  EXPECT_NEAR(facts->pageSize.height, 792, 0.01);
}

TEST(PdfWriter, refusesAPageWithoutArea) {
  EXPECT_FALSE(PdfWriter::open({0, 792}, "x"));
  EXPECT_FALSE(PdfWriter::open({612, -1}, "x"));
  EXPECT_FALSE(PdfWriter::open({NAN, 792}, "x"));
  EXPECT_FALSE(PdfWriter::onePage({0, 0}, "x", [](Canvas &) {}));
}

TEST(PdfWriter, onePageDocumentStartsInPdfCoordinates) {
  auto bytes = PdfWriter::onePage(small, "One", [](Canvas &canvas) {
    canvas.fillRect({0, 0, 20, 20}); // bottom-left in PDF's own coordinates
  });
  ASSERT_TRUE(bytes);
  auto facts = testing::pdfFacts(*bytes);
  EXPECT_EQ(facts->pageCount, 1);
  EXPECT_EQ(facts->title, "One");
  auto page = testing::renderPdfPage(*bytes, 0, 72);
  ASSERT_TRUE(page);
  EXPECT_EQ(region(*page, {2, 82, 16, 16}, 72).max, 0);
  EXPECT_EQ(region(*page, {2, 2, 16, 16}, 72).min, 255);
}

TEST(BitmapCanvas, sizesPixelsByResolution) {
  EXPECT_EQ(BitmapCanvas::pixelSize(letter, 200.0 / 72), (PixelSize{1700, 2200}));
  EXPECT_EQ(BitmapCanvas::pixelSize({595.28, 841.89}, 200.0 / 72), (PixelSize{1654, 2339}));
  BitmapCanvas canvas(small, 2);
  GrayBitmap blank = canvas.bitmap();
  EXPECT_EQ(blank, GrayBitmap::blank(200, 200));
}

TEST(Canvas, ellipseClipKeepsTheInsideUntilRestored) {
  GrayBitmap image = drawPage(small, 72, [](Canvas &canvas) {
    flip(canvas, 100);
    canvas.save();
    canvas.clipToEllipse({0, 0, 40, 40});
    canvas.fillRect({0, 0, 100, 100});
    canvas.restore();
    canvas.fillRect({60, 60, 10, 10});
  });
  EXPECT_EQ(region(image, {16, 16, 8, 8}, 72).max, 0);
  EXPECT_EQ(region(image, {0, 0, 4, 4}, 72).min, 255);    // corner outside the circle
  EXPECT_EQ(region(image, {45, 0, 55, 55}, 72).min, 255); // beyond the clip
  EXPECT_EQ(region(image, {61, 61, 8, 8}, 72).max, 0);    // clip lifted
}

TEST(TextLine, helveticaHasHelveticaMetrics) {
  // Advances of Helvetica per 1000 em: H 722 in both weights, i 222 and 278 bold.
  EXPECT_NEAR((TextLine{"H", Font::helvetica(10)}.width()), 7.22, 0.01);
  EXPECT_NEAR((TextLine{"iiii", Font::helvetica(10)}.width()), 8.88, 0.01);
  EXPECT_NEAR((TextLine{"iiii", Font::helveticaBold(10)}.width()), 11.12, 0.01);
  EXPECT_NEAR((TextLine{"iiii", Font::helvetica(20)}.width()), 17.76, 0.01);
  EXPECT_EQ((TextLine{"", Font::helvetica(10)}.width()), 0);
}

TEST(TextLine, truncatesAtTheEndWithAnEllipsis) {
  TextLine line{"Midterm examination for the second semester", Font::helveticaBold(15), 0.2};
  EXPECT_EQ(line.truncated(1000), line);
  TextLine cut = line.truncated(120);
  EXPECT_TRUE(cut.text.ends_with("…"));
  EXPECT_LE(cut.width(), 120);
  EXPECT_EQ(cut.font, line.font);
  EXPECT_EQ(cut.gray, 0.2);
  std::string kept = cut.text.substr(0, cut.text.size() - std::string("…").size());
  EXPECT_TRUE(line.text.starts_with(kept));
  // One character more would not fit.
  TextLine longer{line.text.substr(0, kept.size() + 1) + "…", line.font};
  EXPECT_GT(longer.width(), 120);
  EXPECT_EQ(line.truncated(1).text, "");
}

TEST(TextLine, truncationKeepsWholeCharacters) {
  TextLine line{"Élodie Ñúñez-Ørsted Åström", Font::helvetica(11)};
  TextLine cut = line.truncated(60);
  ASSERT_TRUE(cut.text.ends_with("…"));
  EXPECT_LE(cut.width(), 60);
  // Valid UTF-8 throughout: Pango would measure invalid bytes as replacement glyphs.
  EXPECT_TRUE(line.text.starts_with(cut.text.substr(0, cut.text.size() - 3)));
  EXPECT_NE(static_cast<unsigned char>(cut.text[cut.text.size() - 4]) & 0xC0, 0xC0);
}

// Text placed by its measured width lands there: a word drawn in one piece
// looks exactly like its letters drawn one by one where measurement puts them.
// (The font kerns, so a letter sits at the width of the text up to and
// including it, less its own advance.)
TEST(Canvas, textLandsWhereMeasurementSays) {
  const Font font = Font::helvetica(12);
  const std::string word = "AVATAR";
  for (double dpi : {72.0, 200.0, 300.0}) {
    GrayBitmap whole = drawPage(small, dpi, [&](Canvas &canvas) {
      flip(canvas, 100);
      canvas.drawText({word, font, 0}, {10.25, 50});
    });
    GrayBitmap pieces = drawPage(small, dpi, [&](Canvas &canvas) {
      flip(canvas, 100);
      for (std::size_t i = 0; i < word.size(); ++i) {
        TextLine letter{word.substr(i, 1), font, 0};
        double x = 10.25 + TextLine{word.substr(0, i + 1), font}.width() - letter.width();
        canvas.drawText(letter, {x, 50});
      }
    });
    int differing = 0;
    for (std::size_t i = 0; i < whole.pixels.size(); ++i)
      differing += std::abs(whole.pixels[i] - pieces.pixels[i]) > 8;
    EXPECT_EQ(differing, 0) << dpi;

    // The ink ends within the measured advance and starts at the origin.
    auto box = darkBounds(
        whole, {0, 0, static_cast<double>(whole.width), static_cast<double>(whole.height)});
    ASSERT_TRUE(box);
    double s = dpi / 72;
    double advance = TextLine{word, font}.width();
    EXPECT_GE(box->minX(), 10.25 * s - 1);
    EXPECT_LE(box->maxX(), (10.25 + advance) * s + 1);
    // Capitals stand upright on the baseline: bottom at y 50, cap height about 0.72 em.
    EXPECT_NEAR(box->maxY(), 50 * s, 1.5);
    EXPECT_NEAR(box->minY(), (50 - 0.718 * 12) * s, 1.5);
  }
}

} // namespace
} // namespace ovalon
