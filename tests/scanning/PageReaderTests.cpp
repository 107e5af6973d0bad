// Reading rendered, pencil-marked and distorted pages through the page reader.

#include "scanning/PageReader.h"

#include "grading/Assembly.h"
#include "scanning/CornerFinder.h"
#include "scanning/MarkReading.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

namespace ovalon {
namespace {

using testing::PageDistortion;

const Exam letterExam = testing::testExam(40, 4, 6, Paper::letter);
const Exam a4Exam = testing::testExam(150, 5, 8, Paper::a4);
// The troubled-page cases were worked out on this one.
const Exam wideExam = testing::testExam(60, 5, 8, Paper::letter);
const std::string bubbledID = "40271938";

// What a row holds, by position. Pages without doubts mark the twice and faint rows cleanly.
enum class Row { clean, blank, twice, faint };

Row rowKind(int position, bool doubts) {
  const Row kind = position % 10 == 7   ? Row::blank
                   : position % 10 == 3 ? Row::twice
                   : position % 10 == 5 ? Row::faint
                                        : Row::clean;
  return doubts || kind == Row::blank ? kind : Row::clean;
}

std::vector<testing::PencilMark> pencilMarks(const Exam &exam, int page, bool doubts) {
  const SheetLayout layout(exam);
  std::vector<testing::PencilMark> marks;
  for (int position : layout.positions(page)) {
    switch (rowKind(position, doubts)) {
    case Row::clean:
      marks.push_back(testing::answerMark(layout, position, position % exam.choiceCount));
      break;
    case Row::twice:
      marks.push_back(testing::answerMark(layout, position, 0));
      marks.push_back(testing::answerMark(layout, position, 2));
      break;
    case Row::faint:
      marks.push_back(testing::answerMark(layout, position, 1, 0.72));
      break;
    case Row::blank:
      break;
    }
  }
  if (page == 1)
    for (int column = 0; column < exam.idDigits; ++column)
      marks.push_back(
          testing::idMark(layout, column, bubbledID[static_cast<size_t>(column)] - '0'));
  return marks;
}

GrayImage markedPage(const Exam &exam, double dpi, int page = 1, bool doubts = true) {
  return testing::renderSheetPage(exam, page, dpi, pencilMarks(exam, page, doubts));
}

void expectReadAsMarked(const PageRead &read, const Exam &exam, int page, bool doubts = true) {
  ASSERT_FALSE(read.problem) << read.problem->title();
  ASSERT_TRUE(read.identity);
  EXPECT_EQ(read.identity->page, page);
  EXPECT_TRUE(read.straightened);
  const auto positions = SheetLayout(exam).positions(page);
  ASSERT_EQ(read.questions.size(), positions.size());
  for (size_t i = 0; i < positions.size(); ++i) {
    const int position = positions[i];
    const MarkRead &mark = read.questions[i].mark;
    SCOPED_TRACE("position " + std::to_string(position));
    EXPECT_EQ(read.questions[i].position, position);
    switch (rowKind(position, doubts)) {
    case Row::clean:
      EXPECT_EQ(mark.choice, position % exam.choiceCount);
      break;
    case Row::twice: {
      EXPECT_EQ(mark.flag, MarkFlag::double_);
      auto both = MarkReading::marked(mark, {});
      std::ranges::sort(both);
      EXPECT_EQ(both, (std::vector{0, 2}));
      break;
    }
    case Row::faint:
      EXPECT_EQ(mark.flag, MarkFlag::faint);
      EXPECT_EQ(mark.strongest, 1);
      break;
    case Row::blank:
      EXPECT_EQ(mark.flag, MarkFlag::blank);
      EXPECT_EQ(mark.strongest, std::nullopt);
      break;
    }
  }
  EXPECT_EQ(Assembly::readID(read.idColumns),
            page == 1 ? bubbledID.substr(0, static_cast<size_t>(exam.idDigits)) : "");
}

SheetIdentity identityOf(const Exam &exam, int page) {
  return {exam.examCode(), 0, page, exam.signature(), false};
}

struct Scan {
  const char *name;
  double dpi;
  PageDistortion distortion;
  const Exam *exam = &letterExam;
  int page = 1;
};

class DistortedScan : public ::testing::TestWithParam<Scan> {};

// Every row and ID digit reads as bubbled, and both corner finders put the squares' centres
// within a pixel or two of where the distortion took them.
TEST_P(DistortedScan, readsAsMarkedAndFindsTheSquares) {
  const Scan &c = GetParam();
  const Exam &exam = *c.exam;
  const auto scan = testing::distort(markedPage(exam, c.dpi, c.page), c.distortion);
  expectReadAsMarked(PageReader::read(scan.image, exam), exam, c.page);

  const SheetLayout layout(exam);
  const auto code = PageReader::findCode(scan.image);
  ASSERT_TRUE(code);
  Point middle{0, 0};
  for (const Point corner : code->corners)
    middle = {middle.x + corner.x / 4, middle.y + corner.y / 4};
  EXPECT_LT(std::hypot(middle.x - code->centre.x, middle.y - code->centre.y),
            0.15 * layout.codeRect().width * c.dpi / 72)
      << "the symbol's corners lie around its centre";
  const auto guided = PageReader::findCode(scan.image, layout);
  ASSERT_TRUE(guided) << "looking where the sheet prints the symbol first still finds it";
  EXPECT_EQ(guided->identity, code->identity);
  for (size_t i = 0; i < 4; ++i)
    EXPECT_LT(std::hypot(guided->corners[i].x - code->corners[i].x,
                         guided->corners[i].y - code->corners[i].y),
              1.0)
        << "symbol corner " << i;
  const double side =
      CornerFinder::expectedSquareSide(scan.image.width, scan.image.height, layout.pageSize.height);
  const int ink = CornerFinder::inkThreshold(scan.image.pixels);
  for (bool vision : {true, false}) {
    SCOPED_TRACE(vision ? "vision" : "blobs");
    const auto found = vision ? CornerFinder::findCornersVision(side, scan.image, ink)
                              : CornerFinder::findCornersBlobs(side, scan.image, ink);
    ASSERT_TRUE(found);
    const Corners oriented = CornerFinder::orientCorners(*found, code->centre);
    EXPECT_TRUE(CornerFinder::plausibleCorners(oriented, layout.pageSize));
    for (size_t i = 0; i < 4; ++i) {
      const Point centre = layout.cornerCenters()[i];
      const Point expected = scan.map({centre.x * c.dpi / 72, centre.y * c.dpi / 72});
      EXPECT_LT(std::hypot(oriented[i].x - expected.x, oriented[i].y - expected.y), 1 + c.dpi / 200)
          << "corner " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scans, DistortedScan,
    ::testing::Values(
        Scan{"clean", 200, {}}, Scan{"fine", 300, {.rotationDegrees = -0.5, .margin = 0}},
        Scan{"lowResolution", 100, {.rotationDegrees = 0.8, .jpegQuality = 85}},
        Scan{"rotatedNoisyJpeg", 200, {.rotationDegrees = 3.5, .noise = 8, .jpegQuality = 70}},
        Scan{"rotatedLeft", 200, {.rotationDegrees = -3}},
        Scan{"noisy", 200, {.noise = 18, .seed = 5}},
        Scan{"coarseJpeg", 200, {.rotationDegrees = 1.5, .jpegQuality = 40}},
        Scan{"skewedPhoto",
             200,
             {.rotationDegrees = -2,
              .keystone = 0.03,
              .skew = 0.01,
              .noise = 10,
              .jpegQuality = 60}},
        Scan{"downscaled", 300, {.scale = 0.4}},
        Scan{"upsideDown", 200, {.rotationDegrees = 180.8, .jpegQuality = 70}},
        Scan{"sideways", 150, {.rotationDegrees = 90}},
        Scan{"a4SecondPageTurned",
             200,
             {.rotationDegrees = 90.7, .noise = 5, .jpegQuality = 75},
             &a4Exam,
             2}),
    [](const auto &info) { return std::string(info.param.name); });

// Repaints every pixel of a `dpi` image whose centre, in page points, lies where `inside` says.
GrayImage painted(GrayImage image, double dpi, const std::function<bool(Point)> &inside,
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

uint8_t white(uint8_t) {
  return 255;
}

const SheetLayout wideLayout(wideExam);

const GrayImage &widePage() {
  static const GrayImage rendered = markedPage(wideExam, 200, 1, false);
  return rendered;
}

GrayImage withoutCorner(const GrayImage &image, int index) {
  return painted(image, 200, box(wideLayout.cornerCenters()[static_cast<size_t>(index)], 12),
                 white);
}

// A dark square in the margin between corner square `index` and the page's corner.
GrayImage withMarginSquare(const GrayImage &image, int index) {
  const Point corner = wideLayout.cornerCenters()[static_cast<size_t>(index)];
  const Point mark{corner.x < 306 ? 13 : wideLayout.pageSize.width - 13,
                   corner.y < 396 ? 13 : wideLayout.pageSize.height - 13};
  return painted(image, 200, box(mark, 8), [](uint8_t) { return 35; });
}

GrayImage withPunchHoles(const GrayImage &image) {
  return painted(
      image, 200,
      [](Point p) {
        return std::ranges::any_of(std::array{90.0, 396.0, 702.0},
                                   [&](double y) { return std::hypot(p.x - 30, p.y - y) < 10; });
      },
      [](uint8_t) { return 30; });
}

GrayImage photo(const GrayImage &image) {
  return testing::distort(image,
                          {.rotationDegrees = -2, .keystone = 0.03, .skew = 0.01, .noise = 4})
      .image;
}

// The page photographed from further away: its long side `fraction` of a 4000 × 3000
// picture's, turned by `degrees`, its top edge narrowed a little, on a darker desk.
GrayImage smallInPhoto(const GrayImage &image, double fraction, double degrees) {
  const int64_t width = 4000, height = 3000;
  const double h = fraction * width, w = h * 612 / 792;
  std::array<Point, 4> corners{
      {{-w / 2 + 0.02 * w, -h / 2}, {w / 2 - 0.02 * w, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}}};
  const double a = degrees * std::numbers::pi / 180;
  for (Point &p : corners)
    p = {p.x * std::cos(a) - p.y * std::sin(a) + width / 2.0,
         p.x * std::sin(a) + p.y * std::cos(a) + height / 2.0};
  GrayImage shot = testing::projected(image, corners, width, height);
  const GrayImage cover =
      testing::projected(GrayImage::blank(image.width, image.height, 0), corners, width, height);
  for (size_t i = 0; i < shot.pixels.size(); ++i) {
    const double outside = cover.pixels[i] / 255.0;
    shot.pixels[i] =
        static_cast<uint8_t>(std::lround(shot.pixels[i] * (1 - outside) + 85 * outside));
  }
  return testing::distort(shot, {.margin = 0, .noise = 5, .jpegQuality = 85}).image;
}

struct Trouble {
  const char *name;
  std::function<GrayImage()> image;
  CornerMethod method;
};

class TroubledPage : public ::testing::TestWithParam<Trouble> {};

TEST_P(TroubledPage, readsAsFilledInWithTheRightCornerFinder) {
  const PageRead read = PageReader::read(GetParam().image(), wideExam);
  expectReadAsMarked(read, wideExam, 1, false);
  EXPECT_EQ(read.method, GetParam().method);
}

INSTANTIATE_TEST_SUITE_P(
    Corners, TroubledPage,
    ::testing::Values(
        Trouble{"clean", [] { return widePage(); }, CornerMethod::vision},
        Trouble{"cleanPhoto", [] { return photo(widePage()); }, CornerMethod::vision},
        Trouble{"withoutTopLeft", [] { return withoutCorner(widePage(), 0); },
                CornerMethod::threeCorners},
        // The symbol's finder patterns sit by the top-right square and must not stand in.
        Trouble{"withoutTopRight", [] { return withoutCorner(widePage(), 1); },
                CornerMethod::threeCorners},
        Trouble{"withoutTopRightInPhoto", [] { return photo(withoutCorner(widePage(), 1)); },
                CornerMethod::threeCorners},
        Trouble{
            "withoutBottomRightTurned",
            [] {
              return testing::distort(withoutCorner(widePage(), 2), {.rotationDegrees = 177}).image;
            },
            CornerMethod::threeCorners},
        // Nor may a round punch hole by the gap.
        Trouble{"withoutBottomLeftPunched",
                [] { return withPunchHoles(withoutCorner(widePage(), 3)); },
                CornerMethod::threeCorners},
        Trouble{"marginSquareNearerTheCorner", [] { return withMarginSquare(widePage(), 2); },
                CornerMethod::blobs},
        Trouble{"marginSquareWhereTopRightWas",
                [] { return withMarginSquare(withoutCorner(widePage(), 1), 1); },
                CornerMethod::threeCorners},
        Trouble{"hardShadowThroughTheLeftSquares",
                [] {
                  return painted(
                      widePage(), 200, [](Point p) { return p.x < 38; },
                      [](uint8_t v) { return static_cast<uint8_t>(v * 0.5); });
                },
                CornerMethod::blobs},
        Trouble{"smallInPhoto", [] { return smallInPhoto(widePage(), 0.4, 8); },
                CornerMethod::blobs},
        Trouble{"smallerUpsideDown", [] { return smallInPhoto(widePage(), 0.35, 182); },
                CornerMethod::blobs}),
    [](const auto &info) { return std::string(info.param.name); });

GrayImage withoutSymbol(const GrayImage &image) {
  const Rect code = wideLayout.codeRect();
  return painted(image, 200, box(code.center(), code.width / 2 + 3), white);
}

class AssumedIdentity : public ::testing::TestWithParam<double> {};

// A page whose symbol can't be read is read for the version the teacher names, the right way up.
TEST_P(AssumedIdentity, readsThePageTheRightWayUp) {
  const GrayImage turned =
      testing::distort(withoutSymbol(widePage()), {.rotationDegrees = GetParam(), .noise = 4})
          .image;
  ASSERT_FALSE(PageReader::findCode(turned));
  EXPECT_EQ(PageReader::read(turned, wideExam).problem, PageProblem::noCode());
  const PageRead read = PageReader::read(turned, wideExam, {}, identityOf(wideExam, 1));
  expectReadAsMarked(read, wideExam, 1, false);
  EXPECT_EQ(read.identity, identityOf(wideExam, 1));
}

INSTANTIATE_TEST_SUITE_P(Turns, AssumedIdentity, ::testing::Values(0.0, 1.5, 90.0, 178.0, 270.0));

struct Unreadable {
  const char *name;
  std::function<GrayImage()> image;
  Exam exam;
  PageProblem problem;
  std::optional<SheetIdentity> identity;
  bool cornersFound;
  std::optional<SheetIdentity> assumed = std::nullopt;
};

class UnreadablePage : public ::testing::TestWithParam<Unreadable> {};

TEST_P(UnreadablePage, carriesItsProblemAndNoMarks) {
  const Unreadable &c = GetParam();
  const PageRead read = PageReader::read(c.image(), c.exam, {}, c.assumed);
  EXPECT_EQ(read.problem, c.problem);
  EXPECT_EQ(read.identity, c.identity);
  EXPECT_EQ(read.method.has_value(), c.cornersFound);
  EXPECT_TRUE(read.questions.empty());
  EXPECT_FALSE(read.straightened);
}

const Exam otherExam = Exam::make(*Uuid::parse("9A1B2C3D-0000-4000-8000-000000000001"), "Other",
                                  Date{}, 40, 4, 6, Paper::letter, 7);

Exam withQuestions(Exam exam, int questions) {
  exam.setQuestionCount(questions);
  return exam;
}

INSTANTIATE_TEST_SUITE_P(
    Problems, UnreadablePage,
    ::testing::Values(
        Unreadable{"blankPaper", [] { return GrayImage::blank(1700, 2200, 255); }, letterExam,
                   PageProblem::noCode(), std::nullopt, false},
        Unreadable{"emptyImage", [] { return GrayImage{}; }, letterExam, PageProblem::noCode(),
                   std::nullopt, false},
        Unreadable{"otherTest", [] { return testing::renderSheetPage(otherExam, 1, 200); },
                   letterExam, PageProblem::otherExam("9A1B2C3D"), identityOf(otherExam, 1), false},
        Unreadable{"printedBeforeTheQuestionCountChanged",
                   [] { return markedPage(letterExam, 200); }, withQuestions(letterExam, 45),
                   PageProblem::layoutChanged(letterExam.signature()), identityOf(letterExam, 1),
                   false},
        // The squares are found but can't span a sheet.
        Unreadable{
            "tooSkewedPhoto",
            [] { return testing::distort(markedPage(letterExam, 200), {.keystone = 0.08}).image; },
            letterExam, PageProblem::noMarks(), identityOf(letterExam, 1), true},
        // One missing square is placed from the other three; two can't be.
        Unreadable{"twoSquaresGone", [] { return withoutCorner(withoutCorner(widePage(), 2), 3); },
                   wideExam, PageProblem::noMarks(), identityOf(wideExam, 1), false},
        // Four squares and nothing else printed: no side can be told from the other.
        Unreadable{"onlyTheSquares",
                   [] {
                     return testing::distort(painted(
                                                 GrayImage::blank(1700, 2200, 255), 200,
                                                 [](Point p) {
                                                   return std::ranges::any_of(
                                                       wideLayout.cornerCenters(),
                                                       [&](Point c) { return box(c, 9)(p); });
                                                 },
                                                 [](uint8_t) { return 0; }),
                                             {.rotationDegrees = 180})
                         .image;
                   },
                   wideExam, PageProblem::noMarks(), identityOf(wideExam, 1), true,
                   identityOf(wideExam, 1)}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PageReader, thresholdsDecideBetweenFaintAndMarked) {
  const GrayImage page = testing::renderSheetPage(
      letterExam, 1, 200, {testing::answerMark(SheetLayout(letterExam), 0, 1, 0.55)});
  const PageRead strict =
      PageReader::read(page, letterExam, {.mark = 0.9, .faint = 0.2, .margin = 0.35});
  const PageRead lenient =
      PageReader::read(page, letterExam, {.mark = 0.1, .faint = 0.05, .margin = 0.05});
  ASSERT_FALSE(strict.problem);
  ASSERT_FALSE(lenient.problem);
  EXPECT_EQ(strict.questions[0].mark.flag, MarkFlag::faint);
  EXPECT_EQ(lenient.questions[0].mark.choice, 1);
}

} // namespace
} // namespace ovalon
