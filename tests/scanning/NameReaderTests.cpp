#include "scanning/NameReader.h"

#include "scanning/NameMatcher.h"
#include "scanning/PageReader.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"
#include "sheets/TextLine.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using testing::PageDistortion;

constexpr double dpi = 200;

// Page `page` of the exam's sheet at 200 dpi with `name` handwritten on the name line (none
// when empty), and `drawn` pen specks (points) on the page.
GrayImage namedPage(const Exam &exam, const std::string &name, int page = 1,
                    const std::vector<Point> &specks = {}) {
  const SheetLayout layout(exam);
  return GrayImage::rendered(layout.pageSize, dpi / 72, 255, [&](Canvas &canvas) {
    SheetRenderer::draw(exam, 0, page, std::nullopt, canvas);
    canvas.translate(0, layout.pageSize.height);
    canvas.scale(1, -1);
    canvas.setFillGray(0.1);
    for (const Point speck : specks)
      canvas.fillRect({speck.x, speck.y, 0.8, 0.8});
    if (!name.empty())
      canvas.drawText(TextLine{name, Font{"Humor Sans", 14}, 0.25}, {94, 99});
  });
}

const std::vector<Student> roster{
    {"204501", "Avery", "Brooks"}, {"204502", "Jordan", "Pike"}, {"204503", "Rowan", "Ellis"},
    {"204504", "Sam", "Ortiz"},    {"204505", "Maya", "Chen"},   {"204506", "Leo", "Garcia"},
    {"204507", "Nora", "Patel"},   {"204508", "Eli", "Novak"},   {"204520", "Jonah", "Price"},
    {"204524", "Hugo", "Marsh"},   {"204526", "Silas", "Boyd"},  {"204523", "Willa", "Stone"}};

TEST(NameReaderBox, spansFromTheLabelToShortOfTheIDGridOrSymbol) {
  const Exam withID = testing::testExam(20, 4, 6, Paper::letter);
  EXPECT_EQ(NameReader::nameBox(SheetLayout(withID)), (Rect{84, 80, 260, 30}));
  const Exam withoutID = testing::testExam(20, 4, 0, Paper::a4);
  const SheetLayout a4(withoutID);
  EXPECT_EQ(NameReader::nameBox(a4), (Rect{84, 80, a4.codeRect().minX() - 16 - 84, 30}));
  const Exam tenDigits = testing::testExam(20, 4, 10, Paper::a4);
  EXPECT_DOUBLE_EQ(NameReader::nameBox(SheetLayout(tenDigits)).width,
                   SheetLayout(tenDigits).headerRight() - 84);
}

TEST(NameReaderCleaning, keepsLettersDigitsAndNamePunctuationOnly) {
  using NameReader::cleaned;
  EXPECT_EQ(cleaned("  John   Smith "), "John Smith");
  EXPECT_EQ(cleaned("\"O'Brien-Smith,\""), "O'Brien-Smith");
  EXPECT_EQ(cleaned("J.!Smith"), "J. Smith");
  EXPECT_EQ(cleaned("--.'"), "");
  EXPECT_EQ(cleaned("Zoë|5mith_"), "Zoë 5mith");
  EXPECT_EQ(cleaned("(José)"), "José");
}

// An empty box, a few specks, a later page or a box cropped from outside the image is no
// writing.
TEST(NameReader, noWritingGivesNoReading) {
  const Exam exam = testing::testExam(150, 4, 6, Paper::letter);
  const Rect box = NameReader::nameBox(SheetLayout(exam));
  const std::vector<GrayImage> pages{
      testing::distort(namedPage(exam, ""), {.rotationDegrees = 1.5, .noise = 6, .seed = 3}).image,
      namedPage(exam, "", 1,
                {{box.x + 16, box.y + 8}, {box.x + 52, box.y + 8}, {box.x + 88, box.y + 8}}),
      namedPage(exam, "Maya Chen", 2)};
  for (const GrayImage &page : pages) {
    const PageRead read = PageReader::read(page, exam);
    ASSERT_FALSE(read.problem);
    EXPECT_EQ(read.name, std::nullopt);
  }
  EXPECT_EQ(NameReader::readName(GrayImage::blank(1500, 1800, 255), 612, 6), std::nullopt);
  EXPECT_EQ(NameReader::readName(GrayImage::blank(10, 10, 0), 612, 6), std::nullopt);
}

struct WrittenName {
  std::string name;
  std::string id;
  Paper paper;
  int idDigits;
  PageDistortion distortion;
};

class NameReading : public ::testing::TestWithParam<WrittenName> {};

TEST_P(NameReading, readsTheHandwrittenNameAndFindsTheStudent) {
  const WrittenName &written = GetParam();
  const Exam exam = testing::testExam(30, 4, written.idDigits, written.paper);
  const auto read =
      PageReader::read(testing::distort(namedPage(exam, written.name), written.distortion).image,
                       exam)
          .name;
  ASSERT_TRUE(read.has_value());
  EXPECT_GT(read->confidence, 0.0);
  EXPECT_LE(read->confidence, 1.0);
  const size_t words = static_cast<size_t>(std::ranges::count(read->text, ' ')) + 1;
  for (const std::string &alternative : read->alternatives)
    EXPECT_EQ(static_cast<size_t>(std::ranges::count(alternative, ' ')) + 1, words) << alternative;

  const auto matches = NameMatcher::match(read, roster, 3);
  ASSERT_FALSE(matches.empty()) << read->text;
  EXPECT_EQ(matches[0].student.id, written.id) << read->text;
  EXPECT_EQ(matches[0].strength, NameMatch::Strength::likely) << read->text;
}

INSTANTIATE_TEST_SUITE_P(
    Sheets, NameReading,
    ::testing::Values(
        WrittenName{"Maya Chen", "204505", Paper::letter, 6, PageDistortion{}},
        WrittenName{"Avery Brooks", "204501", Paper::letter, 6,
                    PageDistortion{.rotationDegrees = -2, .noise = 5, .seed = 11}},
        WrittenName{"Hugo Marsh", "204524", Paper::a4, 0,
                    PageDistortion{.rotationDegrees = 1, .scale = 0.8, .jpegQuality = 80}},
        WrittenName{"Willa Stone", "204523", Paper::letter, 8,
                    PageDistortion{.rotationDegrees = 180.5, .noise = 4, .seed = 5}}));

} // namespace
} // namespace ovalon
