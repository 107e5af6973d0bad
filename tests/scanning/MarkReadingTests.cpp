#include "scanning/MarkReading.h"

#include "scanning/CornerFinder.h"
#include "scanning/QrReader.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>

namespace ovalon {
namespace {

using MarkReading::classify;

MarkRead read(std::vector<double> fills, std::optional<int> choice, std::optional<MarkFlag> flag,
              std::optional<int> strongest) {
  return {std::move(fills), choice, flag, strongest};
}

TEST(MarkClassification, decidesEachRowByTheThreeThresholds) {
  const MarkThresholds defaults;
  EXPECT_EQ(classify(std::vector{1.0, 0.1, 0.0, 0.0}, defaults),
            read({1.0, 0.1, 0.0, 0.0}, 0, std::nullopt, 0));
  EXPECT_EQ(classify(std::vector{0.45, 0.1, 0.0, 0.0}, defaults),
            read({0.45, 0.1, 0.0, 0.0}, std::nullopt, MarkFlag::faint, 0));
  EXPECT_EQ(classify(std::vector{0.9, 0.6, 0.0, 0.0}, defaults).flag, MarkFlag::double_);
  EXPECT_EQ(classify(std::vector{0.9, 0.3, 0.0, 0.0}, defaults).choice, 0);
  EXPECT_EQ(classify(std::vector{0.6, 0.3, 0.0, 0.0}, defaults),
            read({0.6, 0.3, 0.0, 0.0}, std::nullopt, MarkFlag::double_, 0));
  EXPECT_EQ(classify(std::vector{0.15, 0.1, 0.0, 0.0}, defaults),
            read({0.15, 0.1, 0.0, 0.0}, std::nullopt, MarkFlag::blank, std::nullopt));
  EXPECT_EQ(classify(std::vector{0.8, 0.8}, defaults),
            read({0.8, 0.8}, std::nullopt, MarkFlag::double_, 0));
  EXPECT_EQ(classify(std::vector{0.6}, defaults), read({0.6}, 0, std::nullopt, 0));
  EXPECT_EQ(classify(std::vector<double>{}, defaults), MarkRead::empty(0));
  // The strongest bubble need not be the first.
  EXPECT_EQ(classify(std::vector{0.0, 0.1, 1.2, 0.05}, defaults).choice, 2);
}

TEST(MarkClassification, boundariesBelongToTheStrongerDecision) {
  const MarkThresholds defaults;
  // A fill equal to mark is a mark; equal to faint is not blank.
  EXPECT_EQ(classify(std::vector{0.5, 0.0}, defaults).choice, 0);
  EXPECT_EQ(classify(std::vector{0.2, 0.0}, defaults).flag, MarkFlag::faint);
  // A runner-up just under faint does not count; a lead exactly equal to margin is enough.
  EXPECT_EQ(classify(std::vector{0.5, 0.19}, defaults).choice, 0);
  EXPECT_EQ(classify(std::vector{0.75, 0.25}, MarkThresholds{0.5, 0.2, 0.5}).choice, 0);
  EXPECT_EQ(classify(std::vector{0.75, 0.26}, MarkThresholds{0.5, 0.2, 0.5}).flag,
            MarkFlag::double_);
  // Other thresholds are honoured.
  EXPECT_EQ(classify(std::vector{0.45, 0.0}, MarkThresholds{0.4, 0.1, 0.3}).choice, 0);
}

TEST(MarkClassification, markedListsBubblesAtOrAboveFaintStrongestFirst) {
  const MarkThresholds defaults;
  EXPECT_EQ(MarkReading::marked(classify(std::vector{0.3, 0.9, 0.1, 0.9, 0.2}, defaults), defaults),
            (std::vector{1, 3, 0, 4}));
  EXPECT_TRUE(MarkReading::marked(MarkRead::empty(4), defaults).empty());
}

TEST(MarkCalibration, findsPaperAndInkLevels) {
  EXPECT_EQ(MarkReading::calibrate({}), (MarkReading::Calibration{0.0, 0.7}));

  // 70 empty bubbles, 5 half-dark, 10 dark: paper is the 30th percentile,
  // ink the upper median of the values at least 0.22 above it.
  std::vector<double> page(70, 0.05);
  page.insert(page.end(), 5, 0.4);
  page.insert(page.end(), 10, 0.8);
  const auto levels = MarkReading::calibrate(page);
  EXPECT_DOUBLE_EQ(levels.paper, 0.05);
  EXPECT_DOUBLE_EQ(levels.ink, 0.8);

  // Entirely empty page: no dark values, so ink sits 0.6 above paper and all rows are blank.
  const std::vector<double> empty(100, 0.03);
  const auto blankLevels = MarkReading::calibrate(empty);
  EXPECT_DOUBLE_EQ(blankLevels.ink, 0.63);
  const auto fills = MarkReading::normalize(blankLevels, std::vector{0.03, 0.05, 0.0, 0.04});
  EXPECT_EQ(classify(fills, {}).flag, MarkFlag::blank);
  EXPECT_LT(fills[1], 0.05);

  // Every bubble at 0.8: ink is capped at 1.0 and every fill is 0.
  const std::vector<double> grey(60, 0.8);
  const auto greyLevels = MarkReading::calibrate(grey);
  EXPECT_DOUBLE_EQ(greyLevels.paper, 0.8);
  EXPECT_DOUBLE_EQ(greyLevels.ink, 1.0);
  EXPECT_EQ(MarkReading::normalize(greyLevels, std::vector{0.8, 0.8}), (std::vector{0.0, 0.0}));

  // Weakly dark bubbles: ink is raised to at least paper + 0.3.
  std::vector<double> weak(10, 0.1);
  weak.insert(weak.end(), {0.33, 0.35});
  EXPECT_NEAR(MarkReading::calibrate(weak).ink, 0.4, 1e-12);
}

TEST(MarkCalibration, normalizeClampsToZeroAndOneAndAHalf) {
  const auto fills = MarkReading::normalize({0.1, 0.6}, std::vector{0.0, 0.1, 0.35, 0.6, 1.0});
  const std::vector expected{0.0, 0.0, 0.5, 1.0, 1.5};
  ASSERT_EQ(fills.size(), expected.size());
  for (size_t i = 0; i < fills.size(); ++i)
    EXPECT_NEAR(fills[i], expected[i], 1e-12) << i;
  // A span under 0.05 is widened to 0.05.
  EXPECT_NEAR(MarkReading::normalize({0.5, 0.51}, std::vector{0.52})[0], 0.4, 1e-9);
}

// --- reading rendered, marked and distorted pages ---------------------------

// What a row of the test page holds, by position.
enum class Row { clean, blank, twice, faint };

Row rowKind(int position) {
  switch (position % 10) {
  case 7:
    return Row::blank;
  case 3:
    return Row::twice;
  case 5:
    return Row::faint;
  default:
    return Row::clean;
  }
}

std::vector<testing::PencilMark> pencilMarks(const Exam &exam, int page, const std::string &id) {
  const SheetLayout layout(exam);
  std::vector<testing::PencilMark> marks;
  for (int position : layout.positions(page)) {
    const int slot = position % exam.choiceCount;
    switch (rowKind(position)) {
    case Row::clean:
      marks.push_back(testing::answerMark(layout, position, slot));
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
    for (size_t column = 0; column < id.size(); ++column)
      marks.push_back(testing::idMark(layout, static_cast<int>(column), id[column] - '0'));
  return marks;
}

struct PageMarks {
  std::vector<MarkRead> rows;
  std::vector<MarkRead> idColumns;
};

// The reading stages in order: corners, orientation by the symbol,
// straightening, sampling, one calibration per page, classification.
std::optional<PageMarks> readMarks(const GrayImage &image, const Exam &exam, int page,
                                   bool vision) {
  const SheetLayout layout(exam);
  const double side =
      CornerFinder::expectedSquareSide(image.width, image.height, layout.pageSize.height);
  const int threshold = CornerFinder::inkThreshold(image.pixels);
  const auto corners = vision ? CornerFinder::findCornersVision(side, image, threshold)
                              : CornerFinder::findCornersBlobs(side, image, threshold);
  const auto symbols = QrReader::detect(image);
  if (!corners || symbols.empty())
    return std::nullopt;
  const Rect box = symbols[0].boundingBox;
  const Corners oriented = CornerFinder::orientCorners(
      *corners, Point{image.width * box.midX(), image.height * (1 - box.midY())});
  if (!CornerFinder::plausibleCorners(oriented, layout.pageSize))
    return std::nullopt;
  const auto straight = GrayImage::straightened(image, oriented, layout.pageSize);
  if (!straight)
    return std::nullopt;

  std::vector<double> raw;
  for (int position : layout.positions(page))
    for (int slot = 0; slot < exam.choiceCount; ++slot)
      raw.push_back(MarkReading::sample(*straight, layout.bubbleCenter(position, slot),
                                        MarkReading::BubbleKind::answer));
  const size_t answerCount = raw.size();
  const int idColumns = page == 1 ? exam.idDigits : 0;
  for (int column = 0; column < idColumns; ++column)
    for (int digit = 0; digit < 10; ++digit)
      raw.push_back(MarkReading::sample(*straight, layout.idBubbleCenter(column, digit),
                                        MarkReading::BubbleKind::studentID));
  const auto levels = MarkReading::calibrate(raw);
  PageMarks marks;
  const std::span<const double> all(raw);
  for (size_t row = 0; row * exam.choiceCount < answerCount; ++row)
    marks.rows.push_back(classify(
        MarkReading::normalize(levels, all.subspan(row * exam.choiceCount, exam.choiceCount)), {}));
  for (int column = 0; column < idColumns; ++column)
    marks.idColumns.push_back(
        classify(MarkReading::normalize(levels, all.subspan(answerCount + 10 * column, 10)), {}));
  return marks;
}

void expectPageRead(const PageMarks &marks, const Exam &exam, int page, const std::string &id,
                    const std::string &label) {
  const SheetLayout layout(exam);
  const auto positions = layout.positions(page);
  ASSERT_EQ(marks.rows.size(), positions.size()) << label;
  for (int position : positions) {
    const MarkRead &row = marks.rows[static_cast<size_t>(position - positions.front())];
    const std::string where = label + " position " + std::to_string(position);
    switch (rowKind(position)) {
    case Row::clean:
      EXPECT_EQ(row.choice, position % exam.choiceCount) << where;
      EXPECT_GT(row.fills[static_cast<size_t>(*row.choice)], 0.8) << where;
      break;
    case Row::twice: {
      EXPECT_EQ(row.flag, MarkFlag::double_) << where;
      auto both = MarkReading::marked(row, {});
      std::sort(both.begin(), both.end());
      EXPECT_EQ(both, (std::vector{0, 2})) << where;
      break;
    }
    case Row::faint:
      EXPECT_EQ(row.flag, MarkFlag::faint) << where;
      EXPECT_EQ(row.strongest, 1) << where;
      break;
    case Row::blank:
      EXPECT_EQ(row.flag, MarkFlag::blank) << where;
      EXPECT_EQ(row.strongest, std::nullopt) << where;
      break;
    }
  }
  std::string digits;
  for (const auto &column : marks.idColumns)
    digits += column.choice ? static_cast<char>('0' + *column.choice) : '?';
  EXPECT_EQ(digits, id) << label;
}

struct MarkScan {
  const char *name;
  double dpi;
  testing::PageDistortion distortion;
};

class MarkReadingOnScans : public ::testing::TestWithParam<MarkScan> {};

TEST_P(MarkReadingOnScans, readsEveryRowAndTheStudentID) {
  const MarkScan &c = GetParam();
  const Exam exam = testing::testExam(40, 4, 6, Paper::letter);
  const std::string id = "402719";
  const auto scan = testing::distort(
      testing::renderSheetPage(exam, 1, c.dpi, pencilMarks(exam, 1, id)), c.distortion);
  for (bool vision : {true, false}) {
    const auto marks = readMarks(scan.image, exam, 1, vision);
    ASSERT_TRUE(marks) << (vision ? "vision" : "blobs");
    expectPageRead(*marks, exam, 1, id, vision ? "vision" : "blobs");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Scans, MarkReadingOnScans,
    ::testing::Values(
        MarkScan{"clean200", 200, {}},
        MarkScan{"rotatedNoisyJpeg", 200, {.rotationDegrees = 2.5, .noise = 10, .jpegQuality = 70}},
        MarkScan{"upsideDown", 150, {.rotationDegrees = 179, .jpegQuality = 80}},
        MarkScan{"skewedPhoto",
                 200,
                 {.rotationDegrees = -1.5,
                  .keystone = 0.04,
                  .skew = 0.015,
                  .noise = 6,
                  .jpegQuality = 65}},
        MarkScan{"lowResolution", 100, {.rotationDegrees = 0.8, .jpegQuality = 85}},
        MarkScan{"fine300", 300, {.rotationDegrees = -0.5}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(MarkReadingOnPages, secondPageOfA4TestWithFiveChoices) {
  const Exam exam = testing::testExam(150, 5, 8, Paper::a4);
  const auto scan =
      testing::distort(testing::renderSheetPage(exam, 2, 200, pencilMarks(exam, 2, "")),
                       {.rotationDegrees = 90.7, .noise = 5, .jpegQuality = 75});
  const auto marks = readMarks(scan.image, exam, 2, false);
  ASSERT_TRUE(marks);
  expectPageRead(*marks, exam, 2, "", "A4 page 2");
}

TEST(MarkReadingOnPages, emptyBubblesReadLowAndFilledOnesHigh) {
  const Exam exam = testing::testExam(20, 5, 10, Paper::letter);
  const SheetLayout layout(exam);
  const GrayImage page = testing::renderSheetPage(
      exam, 1, 180, {testing::answerMark(layout, 4, 3), testing::idMark(layout, 9, 0)});
  // Straighten with the exact corner centres (180 dpi is 2.5 px/pt): only sampling is under test.
  Corners corners;
  for (size_t i = 0; i < 4; ++i)
    corners[i] = {layout.cornerCenters()[i].x * 2.5, layout.cornerCenters()[i].y * 2.5};
  const auto straight = GrayImage::straightened(page, corners, layout.pageSize);
  ASSERT_TRUE(straight);
  auto answer = [&](int position, int slot) {
    return MarkReading::sample(*straight, layout.bubbleCenter(position, slot),
                               MarkReading::BubbleKind::answer);
  };
  auto id = [&](int column, int digit) {
    return MarkReading::sample(*straight, layout.idBubbleCenter(column, digit),
                               MarkReading::BubbleKind::studentID);
  };
  EXPECT_GT(answer(4, 3), 0.75);
  EXPECT_GT(id(9, 0), 0.75);
  // The printed outline stays outside the sample; only the small choice letter shows.
  for (int position : layout.positions(1))
    for (int slot = 0; slot < 5; ++slot)
      if (position != 4 || slot != 3) {
        EXPECT_LT(answer(position, slot), 0.15) << position << " " << slot;
      }
  for (int column = 0; column < 10; ++column)
    for (int digit = 0; digit < 10; ++digit)
      if (column != 9 || digit != 0) {
        EXPECT_LT(id(column, digit), 0.15) << column << " " << digit;
      }
}

TEST(MarkReadingOnPages, pagesReadConcurrentlyMatchSequentialReads) {
  const Exam exam = testing::testExam(40, 4, 6, Paper::letter);
  std::vector<GrayImage> scans;
  for (int i = 0; i < 3; ++i)
    scans.push_back(
        testing::distort(
            testing::renderSheetPage(exam, 1, 150,
                                     pencilMarks(exam, 1, "1234" + std::to_string(i) + "9")),
            {.rotationDegrees = 1.0 + 89.0 * i, .noise = 6, .seed = static_cast<uint64_t>(i)})
            .image);
  std::vector<std::optional<PageMarks>> sequential, concurrent(scans.size());
  for (size_t i = 0; i < scans.size(); ++i)
    sequential.push_back(readMarks(scans[i], exam, 1, i % 2 == 0));
  {
    std::vector<std::jthread> threads;
    for (size_t i = 0; i < scans.size(); ++i)
      threads.emplace_back([&, i] { concurrent[i] = readMarks(scans[i], exam, 1, i % 2 == 0); });
  }
  for (size_t i = 0; i < scans.size(); ++i) {
    ASSERT_TRUE(sequential[i]) << i;
    ASSERT_TRUE(concurrent[i]) << i;
    EXPECT_EQ(concurrent[i]->rows, sequential[i]->rows) << i;
    EXPECT_EQ(concurrent[i]->idColumns, sequential[i]->idColumns) << i;
    expectPageRead(*concurrent[i], exam, 1, "1234" + std::to_string(i) + "9",
                   "page " + std::to_string(i));
  }
}

} // namespace
} // namespace ovalon
