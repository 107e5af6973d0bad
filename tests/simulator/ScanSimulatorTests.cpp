#include "simulator/ScanSimulator.h"

#include "model/Exam.h"
#include "scanning/CornerFinder.h"
#include "scanning/MarkReading.h"
#include "scanning/MarkThresholds.h"
#include "scanning/NameMatcher.h"
#include "scanning/NameReader.h"
#include "scanning/QrReader.h"
#include "sheets/SheetIdentity.h"
#include "sheets/SheetLayout.h"
#include "simulator/SampleClass.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <span>

namespace ovalon {
namespace {

constexpr double dpi = 150;

Exam makeExam(int questions, int idDigits = 6, Paper paper = Paper::letter) {
  Exam exam = Exam::make(*Uuid::parse("0B7A31C2-5D64-4E8F-9A10-23B4C5D6E7F8"), "Cells", Date{},
                         questions, 4, idDigits, paper, 99);
  exam.setVersionCount(2);
  return exam;
}

SimulatedSheet sheetWith(int questions) {
  SimulatedSheet sheet;
  sheet.answers.assign(static_cast<size_t>(questions), std::nullopt);
  return sheet;
}

// The page straightened at its known corner centres, as the page reader would see it.
GrayImage straightenedAt(const GrayImage &page, const SheetLayout &layout, double resolution) {
  std::array<Point, 4> corners;
  for (size_t i = 0; i < 4; ++i)
    corners[i] = {layout.cornerCenters()[i].x * resolution / 72,
                  layout.cornerCenters()[i].y * resolution / 72};
  return GrayImage::straightened(page, corners, layout.pageSize).value_or(GrayImage{});
}

double darknessAt(const GrayImage &page, Point centre, double radius) {
  return page.darkness(centre.x * dpi / 72, centre.y * dpi / 72, radius * dpi / 72);
}

std::optional<SheetIdentity> identityOn(const GrayImage &image) {
  for (const QrObservation &found : QrReader::detect(image))
    if (found.payload)
      if (auto identity = SheetIdentity::parse(*found.payload))
        return identity;
  return std::nullopt;
}

std::optional<Corners> cornersOf(const GrayImage &image, double paperHeight) {
  const int threshold = CornerFinder::inkThreshold(image.pixels);
  const double side = CornerFinder::expectedSquareSide(image.width, image.height, paperHeight);
  return CornerFinder::findCornersBlobs(side, image, threshold);
}

GrayImage imageOf(const GrayBitmap &bitmap) {
  return GrayImage(bitmap.width, bitmap.height, bitmap.pixels);
}

TEST(ScanSimulatorDrawing, theSameSheetAndSeedDrawTheSamePage) {
  const Exam exam = makeExam(20);
  SimulatedSheet sheet = sheetWith(20);
  sheet.answers[0] = 1;
  sheet.answers[7] = 3;
  sheet.studentID = "123456";
  sheet.name = "Ruby Dalton";
  const GrayImage page = ScanSimulator::drawPage(exam, sheet, 1, dpi, 5);
  EXPECT_EQ(page.width, 1275);
  EXPECT_EQ(page.height, 1650);
  EXPECT_EQ(page, ScanSimulator::drawPage(exam, sheet, 1, dpi, 5));
  EXPECT_NE(page, ScanSimulator::drawPage(exam, sheet, 1, dpi, 6)); // the pencil wobbles
}

TEST(ScanSimulatorDrawing, eachPencilStyleShadesItsBubbleDifferently) {
  const Exam exam = makeExam(20);
  const SheetLayout layout(exam);
  SimulatedSheet sheet = sheetWith(20);
  for (int p = 0; p < 4; ++p)
    sheet.answers[static_cast<size_t>(p)] = p;
  sheet.styles = {{1, PencilMark::light}, {2, PencilMark::erased}, {3, PencilMark::check}};
  sheet.extras = {{5, 2, PencilMark::solid}, {30, 0, PencilMark::solid}};
  const GrayImage page = ScanSimulator::drawPage(exam, sheet, 1, dpi, 1);
  const double r = 3.72; // the page reader's sample radius
  auto at = [&](int position, int slot) {
    return darknessAt(page, layout.bubbleCenter(position, slot), r);
  };
  const double solid = at(0, 0), light = at(1, 1), erased = at(2, 2), check = at(3, 3);
  const double blank = at(4, 0);
  EXPECT_GT(solid, 0.7);
  EXPECT_GT(light, 0.2);
  EXPECT_LT(light, 0.5);
  EXPECT_GT(erased, light);
  EXPECT_LT(erased, solid - 0.1);
  EXPECT_GT(check, blank + 0.05);
  EXPECT_LT(check, solid);
  EXPECT_LT(blank, 0.12);                                 // the printed letter
  EXPECT_GT(at(5, 2), 0.7);                               // the extra mark
  for (double neighbour : {at(0, 1), at(1, 0), at(2, 3)}) // neighbours stay clean
    EXPECT_LT(neighbour, 0.12);
}

TEST(ScanSimulatorDrawing, firstPageCarriesTheWrittenNameAndBubbledID) {
  const Exam exam = makeExam(150);
  const SheetLayout layout(exam);
  SimulatedSheet sheet = sheetWith(150);
  sheet.studentID = "204517";
  sheet.name = "Hazel Quinn";
  sheet.answers[120] = 2;
  const GrayImage first = ScanSimulator::drawPage(exam, sheet, 1, dpi, 3);
  const std::string digits = "204517";
  for (int column = 0; column < 6; ++column)
    for (int digit = 0; digit < 10; ++digit) {
      const double d = darknessAt(first, layout.idBubbleCenter(column, digit), 3.2);
      if (digit == digits[static_cast<size_t>(column)] - '0')
        EXPECT_GT(d, 0.7) << column;
      else
        EXPECT_LT(d, 0.1) << column << ", " << digit;
    }

  const GrayImage straight = straightenedAt(first, layout, dpi);
  const auto read = NameReader::readName(straight, 612, 6);
  ASSERT_TRUE(read.has_value());
  const std::vector<Student> students{
      {"204517", "Hazel", "Quinn"}, {"204518", "Miles", "Archer"}, {"204503", "Rowan", "Ellis"}};
  const auto matches = NameMatcher::match(read, students, 3);
  ASSERT_FALSE(matches.empty()) << read->text;
  EXPECT_EQ(matches[0].student.id, "204517") << read->text;

  // Page 2 has its own answers and neither name nor ID.
  const GrayImage second = ScanSimulator::drawPage(exam, sheet, 2, dpi, 3);
  EXPECT_GT(darknessAt(second, layout.bubbleCenter(120, 2), 3.72), 0.7);
  EXPECT_EQ(NameReader::readName(straightenedAt(second, layout, dpi), 612, 6), std::nullopt);
  EXPECT_EQ(identityOn(second)->page, 2);
}

TEST(ScanSimulatorDrawing, keySheetsArePrintedAsKeysForTheirVersion) {
  const Exam exam = makeExam(20);
  SimulatedSheet sheet = sheetWith(20);
  sheet.version = 1;
  sheet.isKey = true;
  const auto identity = identityOn(ScanSimulator::drawPage(exam, sheet, 1, dpi, 1));
  ASSERT_TRUE(identity.has_value());
  EXPECT_TRUE(identity->isKey);
  EXPECT_EQ(identity->version, 1);
  EXPECT_EQ(identity->examCode, exam.examCode());
  sheet.isKey = false;
  EXPECT_FALSE(identityOn(ScanSimulator::drawPage(exam, sheet, 1, dpi, 1))->isKey);
}

// Where a point of the page (points, y down) lands on the scan (pixels), by the distortion's
// transform: centre, scale, shear, turn, then shift into the output frame.
Point expectedOnScan(Point p, Size page, const ScanDistortion &d, const GrayImage &scan) {
  const bool turned = static_cast<long>(std::lround(d.rotation / 90)) % 2 != 0;
  const Size frame = turned ? Size{page.height, page.width} : page;
  const double a = d.scale * (p.x - page.width / 2);
  const double b = d.scale * (page.height - p.y - page.height / 2);
  const double sheared = a + d.shear * b;
  const double t = d.rotation * std::numbers::pi / 180;
  const double x = sheared * std::cos(t) + b * std::sin(t) + frame.width / 2 + d.offset.x;
  const double y = -sheared * std::sin(t) + b * std::cos(t) + frame.height / 2 - d.offset.y;
  return {x * static_cast<double>(scan.width) / frame.width,
          (frame.height - y) * static_cast<double>(scan.height) / frame.height};
}

class ScannerDistortion : public ::testing::TestWithParam<ScanDistortion> {};

TEST_P(ScannerDistortion, cornersLandWhereTheTransformPutsThemAndTheCodeStillReads) {
  const ScanDistortion &distortion = GetParam();
  const Exam exam = makeExam(30, 6, distortion.paper < 250 ? Paper::a4 : Paper::letter);
  const SheetLayout layout(exam);
  SimulatedSheet sheet = sheetWith(30);
  sheet.answers[4] = 2;
  const GrayImage page = ScanSimulator::drawPage(exam, sheet, 1, dpi, distortion.seed);
  const GrayImage scan = ScanSimulator::scanned(page, layout.pageSize, distortion, dpi);

  const bool turned = static_cast<long>(std::lround(distortion.rotation / 90)) % 2 != 0;
  const Size frame = turned ? Size{layout.pageSize.height, layout.pageSize.width} : layout.pageSize;
  EXPECT_EQ(scan.width, std::lround(frame.width * dpi / 72));
  EXPECT_EQ(scan.height, std::lround(frame.height * dpi / 72));

  const auto found = cornersOf(scan, layout.pageSize.height);
  ASSERT_TRUE(found.has_value());
  for (const Point corner : layout.cornerCenters()) {
    const Point expected = expectedOnScan(corner, layout.pageSize, distortion, scan);
    double nearest = 1e9;
    for (const Point f : *found)
      nearest = std::min(nearest, std::hypot(f.x - expected.x, f.y - expected.y));
    EXPECT_LT(nearest, 2.0) << expected.x << ", " << expected.y;
  }
  const auto identity = identityOn(scan);
  ASSERT_TRUE(identity.has_value());
  EXPECT_EQ(identity->examCode, exam.examCode());
  EXPECT_EQ(identity->page, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Scans, ScannerDistortion,
    ::testing::Values(ScanDistortion{}, ScanDistortion{1.2, 0.004, 0.99, {4, -3}, 6, 40, 244, 17},
                      ScanDistortion{-0.9, -0.006, 1.01, {-5, 5}, 8, 60, 236, 29},
                      ScanDistortion{180.6, 0.002, 0.985, {2, 2}, 5, 20, 250, 3},
                      ScanDistortion{90, 0, 1, {0, 0}, 4, 0, 255, 8},
                      ScanDistortion{-89.5, 0.003, 0.98, {-3, 6}, 6, 30, 240, 12}));

TEST(ScannerNoise, paperToneNoiseAndSpecksComeFromTheSeed) {
  const Size pageSize{100, 80};
  const GrayImage white = GrayImage::blank(208, 167, 255);
  ScanDistortion tone;
  tone.paper = 200;
  const GrayImage toned = ScanSimulator::scanned(white, pageSize, tone, dpi);
  EXPECT_TRUE(std::ranges::all_of(toned.pixels, [](uint8_t v) { return v == 200; }));

  ScanDistortion noisy = tone;
  noisy.noise = 10;
  noisy.seed = 41;
  const GrayImage first = ScanSimulator::scanned(white, pageSize, noisy, dpi);
  EXPECT_EQ(first, ScanSimulator::scanned(white, pageSize, noisy, dpi));
  double sum = 0;
  int changed = 0;
  for (uint8_t v : first.pixels) {
    EXPECT_TRUE(v >= 190 && v <= 210);
    sum += v;
    changed += v != 200;
  }
  EXPECT_NEAR(sum / static_cast<double>(first.pixels.size()), 200, 0.5);
  EXPECT_GT(changed, static_cast<int>(first.pixels.size()) / 2);
  noisy.seed = 42;
  EXPECT_NE(first, ScanSimulator::scanned(white, pageSize, noisy, dpi));

  ScanDistortion dusty;
  dusty.specks = 25;
  dusty.seed = 9;
  const GrayImage specked = ScanSimulator::scanned(white, pageSize, dusty, dpi);
  const auto dark = std::ranges::count_if(specked.pixels, [](uint8_t v) { return v < 128; });
  EXPECT_GE(dark, 20);
  EXPECT_LE(dark, 25 * 9);
  EXPECT_TRUE(std::ranges::all_of(specked.pixels,
                                  [](uint8_t v) { return v == 255 || (v >= 40 && v < 120); }));
}

TEST(ScanPDF, onePageOfEightBitGrayPerImageAtTheFirstImagesSize) {
  EXPECT_EQ(ScanSimulator::scanPDF({}), std::nullopt);
  const Exam exam = makeExam(120);
  std::vector<SimulatedSheet> sheets{sheetWith(120), sheetWith(120)};
  sheets[1].version = 1;
  const std::vector<ScanDistortion> distortions{{0.5, 0, 1, {}, 5, 10, 245, 1},
                                                {-0.7, 0.002, 1, {}, 5, 10, 245, 2}};
  const auto pages = ScanSimulator::scanPages(exam, sheets, distortions);
  ASSERT_EQ(pages.size(), 4u);
  const auto pdf = ScanSimulator::scanPDF(pages);
  ASSERT_TRUE(pdf.has_value());

  const auto facts = testing::pdfFacts(*pdf);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->pageCount, 4);
  EXPECT_EQ(facts->title, "Scan");
  EXPECT_EQ(facts->creator, "Ovalon");
  EXPECT_NEAR(facts->pageSize.width, 612, 0.3);
  EXPECT_NEAR(facts->pageSize.height, 792, 0.3);
  // Drawn page by page, the same pages.
  const auto streamed = ScanSimulator::scan(exam, sheets, distortions);
  ASSERT_TRUE(streamed.has_value());
  EXPECT_EQ(testing::pdfFacts(*streamed)->pageCount, 4);
  EXPECT_EQ(testing::renderPdfPage(*streamed, 3, 100), testing::renderPdfPage(*pdf, 3, 100));

  // Rendered the way scan intake renders, each page still names its version and page.
  for (int index : {0, 3}) {
    const auto rendered = testing::renderPdfPage(*pdf, index, 200);
    ASSERT_TRUE(rendered.has_value());
    const GrayImage image = imageOf(*rendered);
    const auto identity = identityOn(image);
    ASSERT_TRUE(identity.has_value());
    EXPECT_EQ(identity->version, index / 2);
    EXPECT_EQ(identity->page, index % 2 + 1);
    EXPECT_TRUE(cornersOf(image, 792).has_value());
  }
}

// What the sample scan's pages say, read the way the page reader reads them: corners found
// and put in sheet order by the code, page straightened, bubbles sampled, calibrated and
// classified with the default thresholds.
struct ReadPage {
  SheetIdentity identity;
  std::vector<MarkRead> questions;
  std::vector<MarkRead> idColumns;
  std::optional<NameRead> name;
};

std::optional<ReadPage> readPage(const GrayImage &image, const Exam &exam) {
  const SheetLayout layout(exam);
  std::optional<SheetIdentity> identity;
  std::optional<Point> symbol;
  for (const QrObservation &found : QrReader::detect(image))
    if (found.payload && (identity = SheetIdentity::parse(*found.payload))) {
      const Rect box = found.boundingBox;
      symbol = Point{box.midX() * static_cast<double>(image.width),
                     (1 - box.midY()) * static_cast<double>(image.height)};
      break;
    }
  const auto corners = cornersOf(image, layout.pageSize.height);
  if (!identity || !corners)
    return std::nullopt;
  const auto straight = GrayImage::straightened(
      image, CornerFinder::orientCorners(*corners, symbol), layout.pageSize);
  if (!straight)
    return std::nullopt;

  std::vector<double> raw;
  for (int position : layout.positions(identity->page))
    for (int slot = 0; slot < exam.choiceCount; ++slot)
      raw.push_back(MarkReading::sample(*straight, layout.bubbleCenter(position, slot),
                                        MarkReading::BubbleKind::answer));
  const size_t answers = raw.size();
  for (int column = 0; column < exam.idDigits; ++column)
    for (int digit = 0; digit < 10; ++digit)
      raw.push_back(MarkReading::sample(*straight, layout.idBubbleCenter(column, digit),
                                        MarkReading::BubbleKind::studentID));
  const auto levels = MarkReading::calibrate(raw);
  ReadPage page{
      *identity, {}, {}, NameReader::readName(*straight, layout.pageSize.width, exam.idDigits)};
  const std::span<const double> all(raw);
  for (size_t at = 0; at < answers; at += static_cast<size_t>(exam.choiceCount))
    page.questions.push_back(MarkReading::classify(
        MarkReading::normalize(levels, all.subspan(at, static_cast<size_t>(exam.choiceCount))),
        MarkThresholds{}));
  for (size_t at = answers; at < raw.size(); at += 10)
    page.idColumns.push_back(MarkReading::classify(
        MarkReading::normalize(levels, all.subspan(at, 10)), MarkThresholds{}));
  return page;
}

class SampleClassScan : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    exam = new Exam(SampleClass::exam(Date{}));
    pdf = new std::optional<Bytes>(SampleClass::scanPDF(*exam, SampleClass::roster()));
  }
  static void TearDownTestSuite() {
    delete exam;
    delete pdf;
  }
  static Exam *exam;
  static std::optional<Bytes> *pdf;
};

Exam *SampleClassScan::exam = nullptr;
std::optional<Bytes> *SampleClassScan::pdf = nullptr;

TEST_F(SampleClassScan, isOneLetterPageForEachStudent) {
  ASSERT_TRUE(pdf->has_value());
  const auto facts = testing::pdfFacts(**pdf);
  ASSERT_TRUE(facts.has_value());
  EXPECT_EQ(facts->pageCount, 26);
  EXPECT_EQ(facts->title, "Scan");
  EXPECT_NEAR(facts->pageSize.width, 612, 0.3);
  EXPECT_NEAR(facts->pageSize.height, 792, 0.3);
}

// Every mark reads as drawn, and the built-in irregularities are exactly the doubtful rows.
TEST_F(SampleClassScan, readsLikeAScanWithTheIrregularitiesWhereTheyWereDrawn) {
  ASSERT_TRUE(pdf->has_value());
  const auto sheets = SampleClass::sampleSheets(*exam, SampleClass::roster());
  const std::map<std::pair<int, int>, MarkFlag> doubtful{{{2, 5}, MarkFlag::faint},
                                                         {{6, 12}, MarkFlag::double_},
                                                         {{10, 20}, MarkFlag::blank},
                                                         {{18, 3}, MarkFlag::double_}};
  for (int index : {0, 2, 6, 10, 14, 18, 21, 23}) {
    SCOPED_TRACE(index);
    const SimulatedSheet &sheet = sheets[static_cast<size_t>(index)];
    const auto rendered = testing::renderPdfPage(**pdf, index, 200);
    ASSERT_TRUE(rendered.has_value());
    const auto page = readPage(imageOf(*rendered), *exam);
    ASSERT_TRUE(page.has_value());
    EXPECT_EQ(page->identity.examCode, exam->examCode());
    EXPECT_EQ(page->identity.version, sheet.version);
    ASSERT_EQ(page->questions.size(), 30u);

    for (int position = 0; position < 30; ++position) {
      SCOPED_TRACE(position);
      const MarkRead &read = page->questions[static_cast<size_t>(position)];
      if (auto flag = doubtful.find({index, position}); flag != doubtful.end()) {
        EXPECT_EQ(read.flag, flag->second);
      } else if (index == 14 && position == 8) {
        EXPECT_TRUE(read.flag.has_value())
            << ::testing::PrintToString(read.fills); // the check mark
      } else {
        EXPECT_EQ(read.choice, sheet.answers[static_cast<size_t>(position)]);
      }
    }

    std::string id;
    bool doubtfulID = false;
    for (const MarkRead &column : page->idColumns) {
      doubtfulID = doubtfulID || column.flag.has_value();
      id += column.choice ? static_cast<char>('0' + *column.choice) : '?';
    }
    if (index == 23)
      EXPECT_TRUE(doubtfulID) << id;
    else
      EXPECT_EQ(id, sheet.studentID);

    ASSERT_TRUE(page->name.has_value());
    const auto matches = NameMatcher::match(page->name, SampleClass::roster().students, 3);
    ASSERT_FALSE(matches.empty()) << page->name->text;
    EXPECT_EQ(std::optional(matches[0].student.name()), sheet.name) << page->name->text;
  }
}

} // namespace
} // namespace ovalon
