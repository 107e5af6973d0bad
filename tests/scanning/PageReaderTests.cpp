#include "scanning/PageReader.h"

#include "sheets/SheetRenderer.h"
#include "sheets/TextLine.h"
#include "support/PageDistortion.h"
#include "support/TestSheetPage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace ovalon {
namespace {

using testing::PageDistortion;

const Exam exam = testing::testExam(40, 4, 6, Paper::letter);
const SheetLayout layout(exam);
const std::vector<int> studentID{3, 0, 5, 8, 1, 2};

// Every fifth row is left blank; the others are marked at position mod choices.
std::optional<int> answerAt(int position, int choices) {
  if (position % 5 == 4)
    return std::nullopt;
  return position % choices;
}

std::vector<testing::PencilMark> filledSheet(const Exam &e, int page, bool withID) {
  const SheetLayout l(e);
  std::vector<testing::PencilMark> marks;
  for (int position : l.positions(page))
    if (auto slot = answerAt(position, e.choiceCount))
      marks.push_back(testing::answerMark(l, position, *slot));
  if (withID)
    for (int column = 0; column < static_cast<int>(studentID.size()); ++column)
      marks.push_back(testing::idMark(l, column, studentID[static_cast<size_t>(column)]));
  return marks;
}

GrayImage markedPage(double dpi, const PageDistortion &distortion = {}) {
  return testing::distort(testing::renderSheetPage(exam, 1, dpi, filledSheet(exam, 1, true)),
                          distortion)
      .image;
}

void expectFilledSheetRead(const PageRead &read, const Exam &e, int page) {
  ASSERT_FALSE(read.problem) << read.problem->title();
  ASSERT_TRUE(read.identity);
  EXPECT_EQ(read.identity->page, page);
  ASSERT_TRUE(read.straightened);
  EXPECT_TRUE(read.method);
  const auto positions = SheetLayout(e).positions(page);
  ASSERT_EQ(read.questions.size(), positions.size());
  for (size_t i = 0; i < read.questions.size(); ++i) {
    const QuestionRead &row = read.questions[i];
    EXPECT_EQ(row.position, positions[i]);
    const auto expected = answerAt(row.position, e.choiceCount);
    EXPECT_EQ(row.mark.choice, expected) << "position " << row.position;
    if (!expected) {
      EXPECT_EQ(row.mark.flag, MarkFlag::blank) << "position " << row.position;
    }
  }
}

void expectStudentID(const PageRead &read) {
  ASSERT_EQ(read.idColumns.size(), studentID.size());
  for (size_t column = 0; column < studentID.size(); ++column)
    EXPECT_EQ(read.idColumns[column].choice, studentID[column]) << "column " << column;
}

// Paints the identity symbol over with white, as a scan that lost it would show.
GrayImage withoutSymbol(GrayImage page, double dpi) {
  const Rect code = layout.codeRect();
  const double scale = dpi / 72;
  for (auto y = static_cast<int64_t>((code.minY() - 4) * scale);
       y < static_cast<int64_t>((code.maxY() + 4) * scale); ++y)
    for (auto x = static_cast<int64_t>((code.minX() - 4) * scale);
         x < static_cast<int64_t>((code.maxX() + 4) * scale); ++x)
      page.set(x, y, 255);
  return page;
}

SheetIdentity identityOf(const Exam &e, int page) {
  return {e.examCode(), 0, page, e.signature(), false};
}

TEST(PageReader, readsEveryRowAndTheStudentIDOfAFilledFirstPage) {
  const PageRead read = PageReader::read(markedPage(200), exam, {});
  expectFilledSheetRead(read, exam, 1);
  expectStudentID(read);
  EXPECT_EQ(read.identity, identityOf(exam, 1));
  EXPECT_EQ(read.straightened->width, layout.imageSize(GrayImage::sheetFrameScale).width);
}

TEST(PageReader, readsTheHandwrittenNameOfAFirstPageOnly) {
  const GrayImage page = GrayImage::rendered(layout.pageSize, 200.0 / 72, 255, [](Canvas &canvas) {
    SheetRenderer::draw(exam, 0, 1, std::nullopt, canvas);
    canvas.translate(0, layout.pageSize.height);
    canvas.scale(1, -1);
    canvas.drawText(TextLine{"MARIA LOPEZ", Font{"Humor Sans", 14}, 0.25}, {94, 99});
  });
  const PageRead read =
      PageReader::read(testing::distort(page, {.rotationDegrees = 2}).image, exam, {});
  ASSERT_FALSE(read.problem);
  ASSERT_TRUE(read.name);
  EXPECT_EQ(read.name->text, "MARIA LOPEZ");

  EXPECT_FALSE(PageReader::read(markedPage(200), exam, {}).name) << "an empty name box";
}

TEST(PageReader, blankPaperHasNoCode) {
  const PageRead read = PageReader::read(GrayImage::blank(1700, 2200, 255), exam, {});
  EXPECT_EQ(read.problem, PageProblem::noCode());
  EXPECT_FALSE(read.identity);
  EXPECT_TRUE(read.questions.empty());
  EXPECT_FALSE(read.straightened);
  EXPECT_FALSE(read.method);
}

TEST(PageReader, emptyImageHasNoCode) {
  EXPECT_EQ(PageReader::read(GrayImage{}, exam, {}).problem, PageProblem::noCode());
}

TEST(PageReader, pageOfAnotherTestKeepsItsIdentityAndCode) {
  const Exam other = Exam::make(*Uuid::parse("9A1B2C3D-0000-4000-8000-000000000001"), "Other",
                                Date{}, 40, 4, 6, Paper::letter, 7);
  const PageRead read = PageReader::read(testing::renderSheetPage(other, 1, 200), exam, {});
  ASSERT_TRUE(read.identity);
  EXPECT_EQ(read.identity->examCode, "9A1B2C3D");
  EXPECT_EQ(read.problem, PageProblem::otherExam("9A1B2C3D"));
  EXPECT_TRUE(read.questions.empty());
  EXPECT_FALSE(read.straightened);
}

TEST(PageReader, pagePrintedBeforeTheQuestionCountChangedCarriesTheOldSignature) {
  Exam changed = exam;
  changed.setQuestionCount(45);
  const PageRead read = PageReader::read(markedPage(200), changed, {});
  EXPECT_EQ(read.problem, PageProblem::layoutChanged(exam.signature()));
  EXPECT_EQ(read.identity, identityOf(exam, 1));
  EXPECT_TRUE(read.questions.empty());
  EXPECT_EQ(read.problem->detail(), "It was printed for " + exam.signature().summary() +
                                        ". Change the test back, or reprint the sheets.");
}

TEST(PageReader, readsUpsideDownScanLikeUpright) {
  const PageRead upright = PageReader::read(markedPage(200), exam, {});
  const PageRead flipped = PageReader::read(markedPage(200, {.rotationDegrees = 180}), exam, {});
  expectFilledSheetRead(flipped, exam, 1);
  ASSERT_EQ(flipped.questions.size(), upright.questions.size());
  for (size_t i = 0; i < upright.questions.size(); ++i)
    EXPECT_EQ(flipped.questions[i].mark.choice, upright.questions[i].mark.choice);
  expectStudentID(flipped);
}

TEST(PageReader, readsASidewaysScan) {
  const PageRead read = PageReader::read(markedPage(200, {.rotationDegrees = 90}), exam, {});
  expectFilledSheetRead(read, exam, 1);
  expectStudentID(read);
}

TEST(PageReader, assumedIdentityStandsInForAMissingSymbol) {
  const GrayImage page = withoutSymbol(markedPage(200, {.margin = 0}), 200);
  ASSERT_FALSE(PageReader::findCode(page));
  EXPECT_EQ(PageReader::read(page, exam, {}).problem, PageProblem::noCode());

  const PageRead read = PageReader::read(page, exam, {}, identityOf(exam, 1));
  expectFilledSheetRead(read, exam, 1);
  expectStudentID(read);
  EXPECT_EQ(read.identity, identityOf(exam, 1));
}

TEST(PageReader, assumedIdentityReadsAnUpsideDownPageTheRightWayUp) {
  const GrayImage page = withoutSymbol(markedPage(200, {.margin = 0}), 200);
  const GrayImage flipped = testing::distort(page, {.rotationDegrees = 180, .margin = 0}).image;
  const PageRead read = PageReader::read(flipped, exam, {}, identityOf(exam, 1));
  expectFilledSheetRead(read, exam, 1);
  expectStudentID(read);
}

TEST(PageReader, tooSkewedPhotoHasNoMarks) {
  const PageRead read = PageReader::read(markedPage(200, {.keystone = 0.08}), exam, {});
  EXPECT_EQ(read.problem, PageProblem::noMarks());
  EXPECT_TRUE(read.method) << "the squares are found but cannot span a sheet";
  EXPECT_EQ(read.identity, identityOf(exam, 1));
  EXPECT_TRUE(read.questions.empty());
  EXPECT_FALSE(read.straightened);
}

TEST(PageReader, pageWithoutCornerSquaresHasNoMarks) {
  // One missing square is placed from the other three; two can't be.
  GrayImage page = markedPage(200, {.margin = 0});
  const double scale = 200.0 / 72;
  for (int index : {2, 3}) {
    const Rect corner = layout.cornerRect(index);
    for (auto y = static_cast<int64_t>((corner.minY() - 3) * scale);
         y < static_cast<int64_t>((corner.maxY() + 3) * scale); ++y)
      for (auto x = static_cast<int64_t>((corner.minX() - 3) * scale);
           x < static_cast<int64_t>((corner.maxX() + 3) * scale); ++x)
        page.set(x, y, 255);
  }
  const PageRead read = PageReader::read(page, exam, {});
  EXPECT_EQ(read.problem, PageProblem::noMarks());
  EXPECT_FALSE(read.method);
  EXPECT_TRUE(read.identity);
}

TEST(PageReader, secondPageOfALongTestReadsItsOwnPositionsWithoutID) {
  const Exam longExam = testing::testExam(150, 5, 8, Paper::a4);
  const GrayImage page =
      testing::renderSheetPage(longExam, 2, 200, filledSheet(longExam, 2, false));
  const PageRead read = PageReader::read(page, longExam, {});
  expectFilledSheetRead(read, longExam, 2);
  ASSERT_EQ(read.questions.size(), 50u);
  EXPECT_EQ(read.questions.front().position, 100);
  EXPECT_EQ(read.questions.back().position, 149);
  EXPECT_TRUE(read.idColumns.empty());
  EXPECT_FALSE(read.name);
}

TEST(PageReader, thresholdsDecideBetweenFaintAndMarked) {
  std::vector<testing::PencilMark> marks{testing::answerMark(layout, 0, 1, 0.55)};
  const GrayImage page = testing::renderSheetPage(exam, 1, 200, marks);
  const PageRead strict = PageReader::read(page, exam, {.mark = 0.9, .faint = 0.2, .margin = 0.35});
  const PageRead lenient =
      PageReader::read(page, exam, {.mark = 0.1, .faint = 0.05, .margin = 0.05});
  ASSERT_FALSE(strict.problem);
  ASSERT_FALSE(lenient.problem);
  EXPECT_EQ(strict.questions[0].mark.flag, MarkFlag::faint);
  EXPECT_EQ(lenient.questions[0].mark.choice, 1);
}

TEST(PageReader, findCodeGivesTheSymbolCentreInPagePixels) {
  const GrayImage page = testing::renderSheetPage(exam, 1, 200);
  const auto found = PageReader::findCode(page);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->identity, identityOf(exam, 1));
  const Point expected = layout.codeRect().center();
  EXPECT_NEAR(found->centre.x, expected.x * 200 / 72, 6);
  EXPECT_NEAR(found->centre.y, expected.y * 200 / 72, 6);
}

TEST(PageReader, findCodeFindsASmallSymbolInItsEnlargedCorner) {
  // At 40 dpi the symbol's modules are under two pixels wide: too small for
  // the whole-page search.
  const GrayImage page = testing::renderSheetPage(exam, 1, 40);
  const auto found = PageReader::findCode(page);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->identity, identityOf(exam, 1));
  const Point expected = layout.codeRect().center();
  EXPECT_NEAR(found->centre.x, expected.x * 40 / 72, 3);
  EXPECT_NEAR(found->centre.y, expected.y * 40 / 72, 3);
}

struct ScanCase {
  const char *name;
  double dpi;
  PageDistortion distortion;
};

class PageReading : public ::testing::TestWithParam<ScanCase> {};

TEST_P(PageReading, readsADegradedScanLikeTheCleanPage) {
  const ScanCase &c = GetParam();
  const PageRead read = PageReader::read(markedPage(c.dpi, c.distortion), exam, {});
  expectFilledSheetRead(read, exam, 1);
  expectStudentID(read);
}

INSTANTIATE_TEST_SUITE_P(
    Scans, PageReading,
    ::testing::Values(ScanCase{"dpi100", 100, {}}, ScanCase{"dpi150", 150, {}},
                      ScanCase{"dpi300", 300, {.margin = 0}},
                      ScanCase{"rotated", 200, {.rotationDegrees = 4, .noise = 6}},
                      ScanCase{"rotatedLeft", 200, {.rotationDegrees = -3}},
                      ScanCase{"noisy", 200, {.noise = 18, .seed = 5}},
                      ScanCase{"jpeg", 200, {.rotationDegrees = 1.5, .jpegQuality = 40}},
                      ScanCase{"photo", 200, {.keystone = 0.03, .skew = 0.02, .noise = 4}},
                      ScanCase{"downscaled", 300, {.scale = 0.4}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace ovalon
