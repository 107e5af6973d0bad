// Locating a page through the page reader: corner squares anchored by the
// identity symbol, one missing square placed from the other three, and which
// way up a page read for a named version lies.

#include "scanning/PageReader.h"

#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace ovalon {
namespace {

using testing::PageDistortion;

const Exam exam = testing::testExam(60, 5, 8, Paper::letter);
const SheetLayout layout(exam);
constexpr double dpi = 200;
const std::vector<int> studentID{2, 0, 2, 6, 1, 1, 0, 9};

std::optional<int> answerAt(int position) {
  if (position % 7 == 3)
    return std::nullopt;
  return (position * 3) % exam.choiceCount;
}

GrayImage filledPage() {
  std::vector<testing::PencilMark> marks;
  for (int position : layout.positions(1))
    if (auto slot = answerAt(position))
      marks.push_back(testing::answerMark(layout, position, *slot));
  for (size_t column = 0; column < studentID.size(); ++column)
    marks.push_back(testing::idMark(layout, static_cast<int>(column), studentID[column]));
  return testing::renderSheetPage(exam, 1, dpi, marks);
}

const GrayImage &page() {
  static const GrayImage rendered = filledPage();
  return rendered;
}

// Repaints every pixel whose centre, in page points, lies where `inside` says.
GrayImage painted(GrayImage image, const std::function<bool(Point)> &inside,
                  const std::function<uint8_t(uint8_t)> &paint) {
  for (int64_t y = 0; y < image.height; ++y)
    for (int64_t x = 0; x < image.width; ++x)
      if (inside({(static_cast<double>(x) + 0.5) * 72 / dpi,
                  (static_cast<double>(y) + 0.5) * 72 / dpi}))
        image.set(x, y, paint(image.at(x, y)));
  return image;
}

std::function<bool(Point)> box(Point centre, double halfSide) {
  return [=](Point p) {
    return std::abs(p.x - centre.x) < halfSide && std::abs(p.y - centre.y) < halfSide;
  };
}

// Corner square `index` torn away, paper showing where it was.
GrayImage withoutCorner(GrayImage image, int index) {
  return painted(std::move(image), box(layout.cornerCenters()[static_cast<size_t>(index)], 12),
                 [](uint8_t) { return 255; });
}

// A dark square mark in the margin between corner square `index` and the page's corner.
GrayImage withMarginSquare(GrayImage image, int index) {
  const Point corner = layout.cornerCenters()[static_cast<size_t>(index)];
  const Point mark{corner.x < 306 ? 13 : layout.pageSize.width - 13,
                   corner.y < 396 ? 13 : layout.pageSize.height - 13};
  return painted(std::move(image), box(mark, 8), [](uint8_t) { return 35; });
}

// Three dark punch holes down the left edge.
GrayImage withPunchHoles(GrayImage image) {
  return painted(
      std::move(image),
      [](Point p) {
        return std::ranges::any_of(std::array{90.0, 396.0, 702.0},
                                   [&](double y) { return std::hypot(p.x - 30, p.y - y) < 10; });
      },
      [](uint8_t) { return 30; });
}

// Light cut to `light` along the left margin, the hard edge of the shadow
// running through the left corner squares.
GrayImage shadowed(GrayImage image, double light) {
  return painted(
      std::move(image), [](Point p) { return p.x < 38; },
      [=](uint8_t v) { return static_cast<uint8_t>(v * light); });
}

// The page photographed from further away: its long side `fraction` of a
// 4000 × 3000 picture's, turned by `degrees`, its top edge narrowed a little,
// on a desk darker than the paper.
GrayImage smallInPhoto(const GrayImage &image, double fraction, double degrees) {
  const int64_t width = 4000, height = 3000;
  const double h = fraction * width, w = h * layout.pageSize.width / layout.pageSize.height;
  std::array<Point, 4> corners{
      {{-w / 2 + 0.02 * w, -h / 2}, {w / 2 - 0.02 * w, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}}};
  const double a = degrees * std::numbers::pi / 180;
  for (Point &p : corners)
    p = {p.x * std::cos(a) - p.y * std::sin(a) + width / 2.0,
         p.x * std::sin(a) + p.y * std::cos(a) + height / 2.0};
  GrayImage photo = testing::projected(image, corners, width, height);
  const GrayImage cover =
      testing::projected(GrayImage::blank(image.width, image.height, 0), corners, width, height);
  constexpr double desk = 85;
  for (size_t i = 0; i < photo.pixels.size(); ++i) {
    const double outside = cover.pixels[i] / 255.0;
    photo.pixels[i] =
        static_cast<uint8_t>(std::lround(photo.pixels[i] * (1 - outside) + desk * outside));
  }
  return testing::distort(photo, {.margin = 0, .noise = 5, .jpegQuality = 85}).image;
}

GrayImage photo(const GrayImage &image) {
  return testing::distort(image,
                          {.rotationDegrees = -2, .keystone = 0.03, .skew = 0.01, .noise = 4})
      .image;
}

// Every row and ID digit as filled in: nothing misread, nothing flagged.
void expectReadAsFilled(const PageRead &read) {
  ASSERT_FALSE(read.problem) << read.problem->title();
  ASSERT_EQ(read.questions.size(), 60u);
  for (const QuestionRead &row : read.questions) {
    const auto expected = answerAt(row.position);
    EXPECT_EQ(row.mark.choice, expected) << "position " << row.position;
    if (!expected) {
      EXPECT_EQ(row.mark.flag, MarkFlag::blank) << "position " << row.position;
    }
  }
  ASSERT_EQ(read.idColumns.size(), studentID.size());
  for (size_t column = 0; column < studentID.size(); ++column)
    EXPECT_EQ(read.idColumns[column].choice, studentID[column]) << "ID column " << column;
}

struct Trouble {
  const char *name;
  std::function<GrayImage()> image;
  CornerMethod method;
};

class TroubledPage : public ::testing::TestWithParam<Trouble> {};

TEST_P(TroubledPage, readsAsFilledIn) {
  const PageRead read = PageReader::read(GetParam().image(), exam);
  expectReadAsFilled(read);
  EXPECT_EQ(read.method, GetParam().method);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, TroubledPage,
    ::testing::Values(
        // Clean pages keep the rectangle finder's squares.
        Trouble{"clean", [] { return page(); }, CornerMethod::vision},
        Trouble{"cleanPhoto", [] { return photo(page()); }, CornerMethod::vision},
        Trouble{"withoutTopLeft", [] { return withoutCorner(page(), 0); },
                CornerMethod::threeCorners},
        // The symbol's finder patterns sit by the top-right square and must not stand in.
        Trouble{"withoutTopRight", [] { return withoutCorner(page(), 1); },
                CornerMethod::threeCorners},
        Trouble{"withoutTopRightInPhoto", [] { return photo(withoutCorner(page(), 1)); },
                CornerMethod::threeCorners},
        Trouble{"withoutBottomRightTurned",
                [] {
                  return testing::distort(withoutCorner(page(), 2), {.rotationDegrees = 177}).image;
                },
                CornerMethod::threeCorners},
        // A round punch hole by the gap must not stand in either.
        Trouble{"withoutBottomLeftPunched", [] { return withPunchHoles(withoutCorner(page(), 3)); },
                CornerMethod::threeCorners},
        Trouble{"marginSquareNearerTheCorner", [] { return withMarginSquare(page(), 2); },
                CornerMethod::blobs},
        Trouble{"marginSquareWhereTopRightWas",
                [] { return withMarginSquare(withoutCorner(page(), 1), 1); },
                CornerMethod::threeCorners},
        Trouble{"hardShadowThroughTheLeftSquares", [] { return shadowed(page(), 0.5); },
                CornerMethod::blobs},
        Trouble{"smallInPhoto", [] { return smallInPhoto(page(), 0.4, 8); }, CornerMethod::blobs},
        Trouble{"smallerUpsideDown", [] { return smallInPhoto(page(), 0.35, 182); },
                CornerMethod::blobs}),
    [](const auto &info) { return std::string(info.param.name); });

// Paints the identity symbol over, as a page whose code can't be read.
GrayImage withoutSymbol(const GrayImage &image) {
  const Rect code = layout.codeRect();
  return painted(image, box(code.center(), code.width / 2 + 3), [](uint8_t) { return 255; });
}

SheetIdentity named() {
  return {exam.examCode(), 0, 1, exam.signature(), false};
}

class NamedVersion : public ::testing::TestWithParam<double> {};

TEST_P(NamedVersion, readsThePageTheRightWayUp) {
  const GrayImage turned =
      testing::distort(withoutSymbol(page()), {.rotationDegrees = GetParam(), .noise = 4}).image;
  ASSERT_FALSE(PageReader::findCode(turned));
  const PageRead read = PageReader::read(turned, exam, {}, named());
  expectReadAsFilled(read);
  EXPECT_EQ(read.identity, named());
}

INSTANTIATE_TEST_SUITE_P(Turns, NamedVersion, ::testing::Values(0.0, 1.5, 90.0, 178.0, 270.0));

TEST(NamedVersion, pageThatIsNotTheSheetIsNotReadEitherWayUp) {
  // Four corner squares and nothing else printed: no side can be told from the other.
  const GrayImage squares = painted(
      GrayImage::blank(page().width, page().height, 255),
      [](Point p) {
        return std::ranges::any_of(layout.cornerCenters(), [&](Point c) { return box(c, 9)(p); });
      },
      [](uint8_t) { return 0; });
  const PageRead read = PageReader::read(testing::distort(squares, {.rotationDegrees = 180}).image,
                                         exam, {}, named());
  EXPECT_EQ(read.problem, PageProblem::noMarks());
  EXPECT_TRUE(read.questions.empty());
}

} // namespace
} // namespace ovalon
