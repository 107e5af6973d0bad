#include "simulator/CaptureSimulator.h"

#include "model/Exam.h"
#include "sheets/SheetLayout.h"
#include "simulator/CaptureConditions.h"
#include "simulator/ClassSimulator.h"
#include "simulator/ScanSimulator.h"

#include <gtest/gtest.h>

#include <algorithm>
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

// A small photo straight over the page.
PageCapture photo() {
  PageCapture capture;
  capture.medium = CaptureMedium::photo;
  capture.scanner.seed = 4;
  capture.photo.width = 600;
  capture.photo.height = 800;
  return capture;
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
