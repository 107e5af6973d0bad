#include "sheets/BitmapCanvas.h"
#include "sheets/PdfWriter.h"
#include "sheets/TextLine.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace ovalon {
namespace {

constexpr Size letter{612, 792};
constexpr Size small{100, 100};

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
  EXPECT_EQ(std::tie(facts->pageCount, facts->title, facts->creator),
            std::tuple(3, std::string("Unit 3 “Fractions”"), std::string("Ovalon")));
  EXPECT_NEAR(facts->pageSize.width, 612, 0.01);
  EXPECT_NEAR(facts->pageSize.height, 792, 0.01);
}

TEST(PdfWriter, refusesAPageWithoutArea) {
  EXPECT_FALSE(PdfWriter::open({0, 792}, "x"));
  EXPECT_FALSE(PdfWriter::open({612, -1}, "x"));
  EXPECT_FALSE(PdfWriter::open({NAN, 792}, "x"));
  EXPECT_FALSE(PdfWriter::onePage({0, 0}, "x", [](Canvas &) {}));
}

TEST(BitmapCanvas, sizesPixelsByResolution) {
  EXPECT_EQ(BitmapCanvas::pixelSize(letter, 200.0 / 72), (PixelSize{1700, 2200}));
  EXPECT_EQ(BitmapCanvas::pixelSize({595.28, 841.89}, 200.0 / 72), (PixelSize{1654, 2339}));
  EXPECT_EQ(BitmapCanvas(small, 2).bitmap(), GrayBitmap::blank(200, 200));
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
  EXPECT_TRUE(cut.text.ends_with("…") && cut.width() <= 120);
  EXPECT_EQ(std::pair(cut.font, cut.gray), std::pair(line.font, 0.2));
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

} // namespace
} // namespace ovalon
