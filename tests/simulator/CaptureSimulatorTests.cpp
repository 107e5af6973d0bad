#include "simulator/CaptureSimulator.h"

#include "model/Exam.h"
#include "sheets/SheetLayout.h"
#include "simulator/CaptureConditions.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace ovalon {
namespace {

constexpr double dpi = 100;

const Exam &exam() {
  static const Exam exam = [] {
    Exam made = Exam::make(*Uuid::parse("6E1F2A3B-4C5D-4E6F-8A7B-9C0D1E2F3A4B"), "Conditions",
                           Date{}, 60, 5, 8, Paper::letter, 5);
    made.setVersionCount(2);
    return made;
  }();
  return exam;
}

const SimulatedSheet &sheet() {
  static const SimulatedSheet sheet =
      ClassSimulator::studentSheets(exam(), ClassSimulator::madeUpStudents(1, 8, 3), 3)[0];
  return sheet;
}

// A straight, clean copier page with nothing but what the test adds.
PageCapture copier() {
  PageCapture capture;
  capture.dpi = dpi;
  capture.scanner.seed = 4;
  return capture;
}

// A small photo (the same framing at any size) straight over the page, in even light.
PageCapture photo() {
  PageCapture capture;
  capture.medium = CaptureMedium::photo;
  capture.scanner.seed = 4;
  capture.scanner.paper = 240;
  capture.photo.width = 600;
  capture.photo.height = 800;
  capture.photo.pageFraction = 0.8;
  capture.photo.blur = 0;
  capture.photo.noise = 0;
  capture.photo.desk = 80;
  return capture;
}

GrayImage captured(const PageCapture &capture) {
  return CaptureSimulator::capture(exam(), sheet(), 1, capture).image;
}

// Pixels of a copier page under a rectangle of page points.
std::vector<uint8_t> under(const GrayImage &page, const Rect &points) {
  std::vector<uint8_t> values;
  const double s = dpi / 72;
  for (auto y = static_cast<int64_t>(points.minY() * s); y < points.maxY() * s; ++y)
    for (auto x = static_cast<int64_t>(points.minX() * s); x < points.maxX() * s; ++x)
      if (x >= 0 && y >= 0 && x < page.width && y < page.height)
        values.push_back(page.at(x, y));
  return values;
}

double darkShare(const GrayImage &page, const Rect &points) {
  const auto values = under(page, points);
  return static_cast<double>(std::ranges::count_if(values, [](uint8_t v) { return v < 128; })) /
         static_cast<double>(std::max<size_t>(1, values.size()));
}

TEST(CaptureConditions, eachIsNamedOnceAndDrawsTheSameCaptureForTheSameSheet) {
  std::set<std::string> names;
  const SheetLayout layout(exam());
  for (const CaptureCondition &condition : CaptureConditions::all()) {
    SCOPED_TRACE(condition.name);
    EXPECT_TRUE(names.insert(condition.name).second);
    EXPECT_EQ(CaptureConditions::named(condition.name), condition);
    EXPECT_FALSE(condition.summary.empty());
    EXPECT_EQ(condition.summary.find('\n'), std::string::npos);
    const PageCapture first = CaptureConditions::forSheet(condition, 0, layout);
    EXPECT_EQ(first, CaptureConditions::forSheet(condition, 0, layout));
    EXPECT_NE(first, CaptureConditions::forSheet(condition, 1, layout));
    EXPECT_EQ(first.medium, condition.medium);
  }
  EXPECT_EQ(CaptureConditions::named("copier-crumpled"), std::nullopt);
  EXPECT_GE(names.size(), 10u);
}

TEST(CaptureSimulator, aLostCornerLeavesNoSquareWhereItWasPrinted) {
  const SheetLayout layout(exam());
  for (const auto kind : {CornerDamage::Kind::torn, CornerDamage::Kind::foldedOver})
    for (int corner = 0; corner < 4; ++corner) {
      // Folded over, the top right corner's flap would cover the symbol; it is only torn.
      if (kind == CornerDamage::Kind::foldedOver && corner == 1)
        continue;
      SCOPED_TRACE(corner);
      PageCapture capture = copier();
      capture.corner = {kind, corner, 104, 100, 9};
      const GrayImage page = captured(capture);
      for (int other = 0; other < 4; ++other)
        if (other == corner)
          EXPECT_EQ(darkShare(page, layout.cornerRect(other)), 0);
        else
          EXPECT_GT(darkShare(page, layout.cornerRect(other)), 0.6);
      // The rest of the page is the page as printed.
      EXPECT_EQ(under(page, layout.codeRect()), under(captured(copier()), layout.codeRect()));
    }
}

// How far the print around `at` (points) moved between two copier pages: the shift, in
// points, that best lines a 40-point patch of `moved` up with `flat`.
Point shiftAt(const GrayImage &flat, const GrayImage &moved, Point at) {
  const double s = dpi / 72;
  const auto cx = std::lround(at.x * s), cy = std::lround(at.y * s);
  const long half = std::lround(20 * s), reach = std::lround(30 * s);
  auto value = [](const GrayImage &image, long x, long y) -> int {
    return x < 0 || y < 0 || x >= image.width || y >= image.height ? 255 : image.at(x, y);
  };
  long best = -1, bx = 0, by = 0;
  for (long dy = -reach; dy <= reach; ++dy)
    for (long dx = -reach; dx <= reach; ++dx) {
      long sum = 0;
      for (long y = -half; y <= half; y += 2)
        for (long x = -half; x <= half; x += 2)
          sum += std::abs(value(flat, cx + x, cy + y) - value(moved, cx + x + dx, cy + y + dy));
      if (best < 0 || sum < best)
        best = sum, bx = dx, by = dy;
    }
  return {static_cast<double>(bx) / s, static_cast<double>(by) / s};
}

TEST(CaptureSimulator, bentAndFoldedPaperMovesThePrintByWhatItSays) {
  const SheetLayout layout(exam());
  const Point centre{306, 396};
  const Point nearCorner = layout.cornerCenters()[0];
  struct Case {
    PaperWarp warp;
    std::vector<FoldCrease> creases;
    Point at;
    Point shift;
  };
  const std::vector<Case> cases{
      {{PaperWarp::Shape::bow, 20, 0, false, false}, {}, centre, {20, 0}},
      {{PaperWarp::Shape::bow, 20, 0, false, false}, {}, nearCorner, {0, 0}},
      {{PaperWarp::Shape::bow, 14, 90, true, false}, {}, centre, {0, 14}},
      {{PaperWarp::Shape::foldedOpen, 25, 180, true, false}, {}, centre, {-25, 0}},
      {{PaperWarp::Shape::foldedOpen, 25, 180, true, false}, {}, nearCorner, {0, 0}},
      {{}, {{300, {3, 2}, 0.2}}, {306, 420}, {3, 2}},
      {{}, {{300, {3, 2}, 0.2}}, {396, 150}, {0, 0}},
  };
  const GrayImage flat = captured(copier());
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    PageCapture capture = copier();
    capture.warp = cases[i].warp;
    capture.creases = cases[i].creases;
    const Point shift = shiftAt(flat, captured(capture), cases[i].at);
    EXPECT_NEAR(shift.x, cases[i].shift.x, 1.5);
    EXPECT_NEAR(shift.y, cases[i].shift.y, 1.5);
  }
}

TEST(CaptureSimulator, marginMarksStayOffWhatIsReadAndHolesShowTheBacking) {
  const SheetLayout layout(exam());
  PageCapture capture = copier();
  capture.backing = 40;
  capture.margins = {8, 2, MarginMarks::Punched::left, 20, 28, 77};
  const GrayImage marked = captured(capture);
  const GrayImage clean = captured(copier());
  for (int position = 0; position < 60; ++position)
    ASSERT_EQ(under(marked, layout.rowRect(position)), under(clean, layout.rowRect(position)));
  for (const Rect &printed : {layout.codeRect(), *layout.idRect(), layout.cornerRect(0),
                              layout.cornerRect(1), layout.cornerRect(2), layout.cornerRect(3)})
    EXPECT_EQ(under(marked, printed), under(clean, printed));
  // Three dark holes down the left edge of US Letter paper…
  for (const double y : {90.0, 396.0, 702.0})
    EXPECT_GT(darkShare(marked, {22, y - 6, 12, 12}), 0.9) << y;
  // …and pencil in the margins, some of it dark by a corner.
  EXPECT_NE(marked, clean);
  double byCorners = 0;
  for (const Rect nook :
       {Rect{0, 0, 25, 70}, Rect{587, 0, 25, 70}, Rect{0, 722, 25, 70}, Rect{587, 722, 25, 70}})
    byCorners += darkShare(marked, nook);
  EXPECT_GT(byCorners, 0.02);
}

TEST(CaptureSimulator, aShadowDarkensItsRegionToItsLightAndLeavesTheRest) {
  PageCapture lit = photo();
  const GrayImage open = captured(lit);
  lit.shadow = Shadow{{{{0.3, 0.3}, {0.7, 0.3}, {0.7, 0.6}, {0.3, 0.6}}}, 0.5, 1};
  const GrayImage shaded = captured(lit);
  int inside = 0, outside = 0;
  for (int64_t y = 2; y < shaded.height; y += 7)
    for (int64_t x = 2; x < shaded.width; x += 7) {
      const double u = (x + 0.5) / 600.0, v = (y + 0.5) / 800.0;
      const double edge = std::min({std::abs(u - 0.3), std::abs(u - 0.7), std::abs(v - 0.3) * 4 / 3,
                                    std::abs(v - 0.6) * 4 / 3}) *
                          600;
      if (edge < 4)
        continue;
      if (u > 0.3 && u < 0.7 && v > 0.3 && v < 0.6) {
        EXPECT_NEAR(shaded.at(x, y), open.at(x, y) * 0.5, 1.5) << x << ", " << y;
        ++inside;
      } else {
        EXPECT_EQ(shaded.at(x, y), open.at(x, y)) << x << ", " << y;
        ++outside;
      }
    }
  EXPECT_GT(inside, 200);
  EXPECT_GT(outside, 200);
}

// The rows and columns holding paper (bright) rather than desk.
Rect paperBounds(const GrayImage &photo) {
  int64_t left = photo.width, right = -1, top = photo.height, bottom = -1;
  for (int64_t y = 0; y < photo.height; ++y)
    for (int64_t x = 0; x < photo.width; ++x)
      if (photo.at(x, y) > 170) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  return {static_cast<double>(left), static_cast<double>(top),
          static_cast<double>(right - left + 1), static_cast<double>(bottom - top + 1)};
}

TEST(CaptureSimulator, aPhotosPageSpansItsFractionOfTheLongSide) {
  PageCapture straight = photo();
  straight.photo.pageFraction = 0.4;
  const Rect exact = paperBounds(captured(straight));
  EXPECT_NEAR(exact.height / 800, 0.4, 0.006);
  EXPECT_NEAR(exact.width / exact.height, 612.0 / 792, 0.01);

  // The small-page condition's own photos, tilted and turned, a reduced copy of each.
  const CaptureCondition small = *CaptureConditions::named("photo-small");
  for (int i = 0; i < 3; ++i) {
    PageCapture capture = CaptureConditions::forSheet(small, i, SheetLayout(exam()));
    capture.photo.width = 600;
    capture.photo.height = 800;
    const Rect found = paperBounds(captured(capture));
    EXPECT_GE(found.height / 800, capture.photo.pageFraction * 0.95) << i;
    EXPECT_LE(found.height / 800, capture.photo.pageFraction * 1.2) << i;
  }
}

// The JPEG files a PDF holds, byte for byte: each from its start-of-image marker to the end
// of its image data.
std::vector<Bytes> jpegsIn(const Bytes &pdf) {
  std::vector<Bytes> found;
  const std::string dct = "/DCTDecode";
  auto at = pdf.begin();
  while ((at = std::search(at, pdf.end(), dct.begin(), dct.end())) != pdf.end()) {
    const Bytes start{0xFF, 0xD8, 0xFF}, end{0xFF, 0xD9};
    auto first = std::search(at, pdf.end(), start.begin(), start.end());
    auto last = std::search(first, pdf.end(), end.begin(), end.end());
    if (last == pdf.end())
      break;
    found.emplace_back(first, last + 2);
    at = last;
  }
  return found;
}

// The first eight entries, in the file's zigzag order, of a JPEG's first quantisation table.
std::vector<int> quantisation(const Bytes &jpeg) {
  for (size_t i = 2; i + 12 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB)
      return {jpeg.begin() + static_cast<long>(i) + 5, jpeg.begin() + static_cast<long>(i) + 13};
  return {};
}

TEST(ScanPDF, jpegPagesAreDctImagesOfTheQualityAsked) {
  const std::vector<SimulatedSheet> sheets(2, sheet());
  const std::vector<ScanDistortion> distortions{{}};
  const auto plain = ScanSimulator::scan(exam(), sheets, distortions, dpi);
  ASSERT_TRUE(plain.has_value());
  EXPECT_TRUE(jpegsIn(*plain).empty());

  // libjpeg's own tables: the standard table scaled by (200 − 2Q) / 100 for Q ≥ 50.
  const std::vector<std::pair<int, std::vector<int>>> qualities{
      {50, {16, 11, 12, 14, 12, 10, 16, 14}}, {80, {6, 4, 5, 6, 5, 4, 6, 6}}};
  for (const auto &[quality, table] : qualities) {
    SCOPED_TRACE(quality);
    const auto pdf = ScanSimulator::scan(exam(), sheets, distortions, dpi, quality);
    ASSERT_TRUE(pdf.has_value());
    const auto jpegs = jpegsIn(*pdf);
    ASSERT_EQ(jpegs.size(), 2u);
    for (const Bytes &jpeg : jpegs) {
      EXPECT_EQ(quantisation(jpeg), table);
      const auto page = GrayImage::fromImageData(jpeg);
      ASSERT_TRUE(page.has_value());
      EXPECT_EQ(page->width, 850);
      EXPECT_EQ(page->height, 1100);
    }
  }
}

TEST(CapturePDF, copierPagesAndPhotosAreStoredAsTheyWereCaptured) {
  const std::vector<SimulatedSheet> sheets(2, sheet());
  PageCapture copied = copier();
  copied.jpegQuality = 80;
  const auto copierPDF = CaptureSimulator::capturePDF(exam(), sheets, {copied});
  ASSERT_TRUE(copierPDF.has_value());
  const auto pages = jpegsIn(*copierPDF);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0], *CaptureSimulator::capture(exam(), sheet(), 1, copied).jpeg);

  PageCapture photographed = photo();
  photographed.photo.jpegQuality = 90;
  const auto photoPDF = CaptureSimulator::capturePDF(exam(), {sheet()}, {photographed});
  ASSERT_TRUE(photoPDF.has_value());
  const auto photos = jpegsIn(*photoPDF);
  ASSERT_EQ(photos.size(), 1u);
  EXPECT_EQ(photos[0], *CaptureSimulator::capture(exam(), sheet(), 1, photographed).jpeg);
  EXPECT_EQ(quantisation(photos[0]), (std::vector<int>{3, 2, 2, 3, 2, 2, 3, 3}));
}

} // namespace
} // namespace ovalon
