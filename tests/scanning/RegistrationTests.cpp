#include "scanning/PageReader.h"
#include "simulator/CaptureConditions.h"
#include "simulator/CaptureSimulator.h"
#include "simulator/ClassSimulator.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon {
namespace {

const Exam &exam() {
  static const Exam exam = testing::testExam(60, 5, 8, Paper::letter);
  return exam;
}

const SheetLayout &layout() {
  static const SheetLayout layout(exam());
  return layout;
}

// One student's sheet, every seventh row left blank: blank rows are where a misplaced sample
// or a shadow would most easily invent an answer.
const SimulatedSheet &student() {
  static const SimulatedSheet sheet = [] {
    SimulatedSheet made =
        ClassSimulator::studentSheets(exam(), ClassSimulator::madeUpStudents(1, 8, 17), 17)[0];
    for (size_t q = 3; q < made.answers.size(); q += 7)
      made.answers[q].reset();
    return made;
  }();
  return sheet;
}

// How a read compares with what the student bubbled.
struct Tally {
  int rows = 0;
  int right = 0;
  int unaligned = 0;
  int unalignedSuggested = 0; // a row not lined up that still offers a darkest bubble
  int silent = 0;             // a clean answer that isn't the student's
  int idSilent = 0;           // a clean ID digit that isn't the student's

  void add(const PageRead &read, const SimulatedSheet &sheet) {
    for (const QuestionRead &row : read.questions) {
      ++rows;
      const auto bubbled = sheet.answers[static_cast<size_t>(row.position)];
      if (row.mark.flag == MarkFlag::unaligned) {
        ++unaligned;
        unalignedSuggested += row.mark.strongest.has_value();
      }
      if (row.mark.choice && row.mark.choice != bubbled)
        ++silent;
      right += row.mark.choice == bubbled || (!bubbled && row.mark.flag == MarkFlag::blank);
    }
    for (size_t column = 0; column < read.idColumns.size(); ++column)
      if (auto digit = read.idColumns[column].choice)
        idSilent += *digit != (*sheet.studentID)[column] - '0';
  }
};

Tally readAndTally(const GrayImage &page) {
  const PageRead read = PageReader::read(page, exam());
  EXPECT_FALSE(read.problem) << read.problem->title();
  Tally tally;
  tally.add(read, student());
  EXPECT_EQ(tally.rows, 60);
  return tally;
}

PageCapture copier(PaperWarp warp = {}, std::vector<FoldCrease> creases = {}) {
  PageCapture capture;
  capture.dpi = 200;
  capture.scanner.seed = 9;
  capture.scanner.noise = 6;
  capture.warp = warp;
  capture.creases = std::move(creases);
  return capture;
}

PageCapture photo(std::optional<Shadow> shadow, PaperWarp warp = {}, double falloff = 0) {
  PageCapture capture;
  capture.medium = CaptureMedium::photo;
  capture.scanner.seed = 9;
  capture.scanner.paper = 242;
  capture.photo.width = 2400;
  capture.photo.height = 3200;
  capture.photo.rotation = 3;
  capture.photo.tiltX = 4;
  capture.photo.lightFalloff = falloff;
  capture.photo.lightDirection = 30;
  capture.warp = warp;
  capture.shadow = std::move(shadow);
  return capture;
}

GrayImage captured(const PageCapture &capture) {
  return CaptureSimulator::seen(CaptureSimulator::capture(exam(), student(), 1, capture));
}

// A hand's shadow over the middle of the answers, its edges across bubbles and blank rows.
Shadow hand(double light) {
  return {{{{0.3, 0.35}, {1.0, 0.5}, {1.0, 0.8}, {0.45, 0.7}}}, light, 1.5};
}

struct Capture {
  const char *name;
  PageCapture capture;
};

class BentOrShadedPage : public ::testing::TestWithParam<Capture> {};

// Every row is read as bubbled or flagged, never misread; nearly all are simply read.
TEST_P(BentOrShadedPage, readsEveryRowRightOrFlagsIt) {
  const Tally tally = readAndTally(captured(GetParam().capture));
  EXPECT_EQ(tally.silent, 0);
  EXPECT_EQ(tally.idSilent, 0);
  EXPECT_GE(tally.right, 58);
}

using Shape = PaperWarp::Shape;
INSTANTIATE_TEST_SUITE_P(
    Captures, BentOrShadedPage,
    ::testing::Values(Capture{"bowedAcross", copier({Shape::bow, 25, 0, false})},
                      Capture{"bowedDown", copier({Shape::bow, 25, 90, true})},
                      Capture{"bowedAslant", copier({Shape::bow, 22, 135, false})},
                      Capture{"curledEdge", copier({Shape::curl, 25, 200, false, true})},
                      Capture{"curledTop", copier({Shape::curl, 20, 60, true, false})},
                      Capture{"foldedOpen", copier({Shape::foldedOpen, 18, 80, true})},
                      Capture{"letterFold",
                              copier({}, {{264, {2.5, -3}, 0.25}, {528, {-3, 2.5}, 0.25}})},
                      Capture{"handShadow", photo(hand(0.5))},
                      Capture{"paleShadowAndFalloff", photo(hand(0.7), {}, 0.35)},
                      Capture{"bentUnderAShadow", photo(hand(0.55), {Shape::bow, 20, 20, false})},
                      // Curled so far that the identity symbol, bent with the paper, points
                      // well away from the bottom-left square.
                      Capture{"curledPhoto",
                              CaptureConditions::forSheet(*CaptureConditions::named("photo-curled"),
                                                          32, layout())}),
    [](const auto &info) { return std::string(info.param.name); });

// What the reader is given: the answers moved by `shift` (points), faded in and out over the
// blank bands above and below the rows, so the four corner squares, the header and the
// student-ID grid stay where they are printed.
GrayImage answersMoved(Point shift) {
  auto ramp = [](double y, double from, double to) {
    const double t = std::clamp((y - from) / (to - from), 0.0, 1.0);
    return t * t * (3 - 2 * t);
  };
  const GrayImage page = CaptureSimulator::capture(exam(), student(), 1, copier()).image;
  const double scale = static_cast<double>(page.width) / layout().pageSize.width;
  cv::Mat mapX(static_cast<int>(page.height), static_cast<int>(page.width), CV_32F);
  cv::Mat mapY(mapX.size(), CV_32F);
  for (int y = 0; y < mapX.rows; ++y)
    for (int x = 0; x < mapX.cols; ++x) {
      // The shift is smooth, so it is taken at the place it lands.
      const double along = (y + 0.5) / scale;
      const double weight = ramp(along, 205, 245) * (1 - ramp(along, 728, 743));
      mapX.at<float>(y, x) = static_cast<float>(x - shift.x * weight * scale);
      mapY.at<float>(y, x) = static_cast<float>(y - shift.y * weight * scale);
    }
  cv::Mat out;
  cv::remap(cv::Mat(mapX.size(), CV_8UC1, const_cast<uint8_t *>(page.pixels.data())), out, mapX,
            mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
  return GrayImage(out.cols, out.rows, std::vector<uint8_t>(out.datastart, out.dataend));
}

// Where the rows sit a whole row or a whole bubble away from their places, every bubble still
// shows a printed outline at its place: only the blank paper beyond the blocks tells.
TEST(Registration, neverTakesTheNextRowOrBubbleForTheRightOne) {
  for (Point shift : {Point{0, SheetLayout::rowHeight}, Point{0, -SheetLayout::rowHeight},
                      Point{SheetLayout::bubblePitch, 0}, Point{-SheetLayout::bubblePitch, 0}}) {
    const Tally tally = readAndTally(answersMoved(shift));
    EXPECT_EQ(tally.silent, 0) << shift.x << ", " << shift.y;
    EXPECT_GE(tally.right, 58) << shift.x << ", " << shift.y;
  }
}

TEST(Registration, flagsRowsMovedFurtherThanItLooks) {
  const Tally tally = readAndTally(answersMoved({0, 2.5 * SheetLayout::rowHeight}));
  EXPECT_EQ(tally.silent, 0);
  EXPECT_EQ(tally.unaligned, 60);
  EXPECT_EQ(tally.unalignedSuggested, 0);
}

} // namespace
} // namespace ovalon
