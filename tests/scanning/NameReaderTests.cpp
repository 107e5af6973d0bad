#include "scanning/NameReader.h"

#include "scanning/NameMatcher.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

namespace ovalon {
namespace {

using testing::PageDistortion;

constexpr double dpi = 200;

// Page 1 of the exam's sheet at 200 dpi with `name` handwritten on the name line (none
// when empty), degraded like a scan and straightened again at its known corners.
GrayImage straightenedPage(const Exam &exam, const std::string &name,
                           const PageDistortion &distortion) {
  const SheetLayout layout(exam);
  const GrayImage page = GrayImage::rendered(layout.pageSize, dpi / 72, 255, [&](Canvas &canvas) {
    SheetRenderer::draw(exam, 0, 1, std::nullopt, canvas);
    if (name.empty())
      return;
    canvas.save();
    canvas.translate(0, layout.pageSize.height);
    canvas.scale(1, -1);
    canvas.drawText(TextLine{name, Font{"Humor Sans", 14}, 0.25}, {94, 99});
    canvas.restore();
  });
  const testing::DistortedPage scan = testing::distort(page, distortion);
  std::array<Point, 4> corners;
  for (size_t i = 0; i < 4; ++i) {
    const Point c = layout.cornerCenters()[i];
    corners[i] = scan.map({c.x * dpi / 72, c.y * dpi / 72});
  }
  auto straight = GrayImage::straightened(scan.image, corners, layout.pageSize);
  EXPECT_TRUE(straight.has_value());
  return straight.value_or(GrayImage{});
}

size_t editDistance(const std::string &a, const std::string &b) {
  std::vector<size_t> row(b.size() + 1);
  std::iota(row.begin(), row.end(), size_t{0});
  for (size_t i = 0; i < a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i + 1;
    for (size_t j = 0; j < b.size(); ++j) {
      const size_t up = row[j + 1];
      row[j + 1] = std::min({up + 1, row[j] + 1, diagonal + (a[i] == b[j] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
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

TEST(NameReader, anEmptyBoxGivesNoReading) {
  const Exam exam = testing::testExam(30, 4, 6, Paper::letter);
  const GrayImage page =
      straightenedPage(exam, "", PageDistortion{.rotationDegrees = 1.5, .noise = 6, .seed = 3});
  EXPECT_EQ(NameReader::readName(page, 612, 6), std::nullopt);
  EXPECT_EQ(NameReader::readName(GrayImage::blank(1500, 1800, 255), 612, 6), std::nullopt);
  // A box cropped from outside the image is no box at all.
  EXPECT_EQ(NameReader::readName(GrayImage::blank(10, 10, 0), 612, 6), std::nullopt);
}

TEST(NameReader, aFewSpecksAreNotWriting) {
  const Exam exam = testing::testExam(30, 4, 6, Paper::letter);
  GrayImage page = straightenedPage(exam, "", PageDistortion{});
  const Rect box = SheetLayout(exam).toImage(NameReader::nameBox(SheetLayout(exam)), 2.5);
  for (int i = 0; i < 3; ++i)
    for (int dy = 0; dy < 2; ++dy)
      for (int dx = 0; dx < 2; ++dx)
        page.set(static_cast<int64_t>(box.x) + 40 + 90 * i + dx,
                 static_cast<int64_t>(box.y) + 20 + dy, 30);
  EXPECT_EQ(NameReader::readName(page, 612, 6), std::nullopt);
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
  const GrayImage page = straightenedPage(exam, written.name, written.distortion);
  const auto read = NameReader::readName(page, SheetLayout(exam).pageSize.width, written.idDigits);
  ASSERT_TRUE(read.has_value());
  EXPECT_LE(editDistance(NameMatcher::normalizeName(read->text),
                         NameMatcher::normalizeName(written.name)),
            2u)
      << read->text;
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
