#include "model/Exam.h"
#include "sheets/SheetIdentity.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetPDF.h"
#include "sheets/SheetRenderer.h"
#include "support/QrReading.h"
#include "support/RenderedPage.h"

#include <gtest/gtest.h>

namespace ovalon {
namespace {

using testing::darkBounds;
using testing::region;

constexpr double dpi = 200;
constexpr double scale = dpi / 72;

Exam makeExam(int questions, int choices = 4, int idDigits = 6, Paper paper = Paper::letter,
              std::string title = "Quiz") {
  Exam exam = Exam::make(*Uuid::parse("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"), std::move(title),
                         Date{}, questions, choices, idDigits, paper, 5);
  exam.setVersionCount(3);
  return exam;
}

GrayBitmap render(const Exam &exam, int version = 0, int page = 1,
                  const std::optional<SheetFill> &fill = std::nullopt) {
  return testing::drawPage(SheetLayout(exam).pageSize, dpi, [&](Canvas &canvas) {
    SheetRenderer::draw(exam, version, page, fill, canvas);
  });
}

Rect around(Point centre, double half) {
  return {centre.x - half, centre.y - half, 2 * half, 2 * half};
}

// A bubble filled by the printer is dark all over its middle.
bool filled(const GrayBitmap &image, Point centre) {
  return region(image, around(centre, 3), dpi).mean < 40;
}

std::vector<int> filledDigits(const GrayBitmap &image, const SheetLayout &layout) {
  std::vector<int> digits;
  for (int j = 0; j < layout.signature.idDigits; ++j) {
    int found = -1;
    for (int k = 0; k < 10; ++k)
      if (filled(image, layout.idBubbleCenter(j, k))) {
        EXPECT_EQ(found, -1) << "two bubbles filled in column " << j;
        found = k;
      }
    digits.push_back(found);
  }
  return digits;
}

TEST(SheetRenderer, secondPageHoldsTheRemainingQuestions) {
  Exam exam = makeExam(150);
  SheetLayout layout(exam);
  GrayBitmap image = render(exam, 0, 2);
  // Two columns of 25 for positions 100…149; nothing where a third would be.
  EXPECT_EQ(layout.columns(2).count, 2);
  Point last = layout.bubbleCenter(149, 3);
  EXPECT_LT(image.at(static_cast<int>((last.x + 6) * scale), static_cast<int>(last.y * scale)),
            170);
  EXPECT_GT(region(image, {last.x + 20, SheetLayout::answerTop, 80, 475}, dpi).min, 250);
}

TEST(SheetRenderer, prefilledIDIsPaddedCutAndFilled) {
  Exam exam = makeExam(20, 4, 6);
  SheetLayout layout(exam);
  // -1: column left empty. "1½" is numeric but not a whole digit; then Arabic-Indic digits.
  for (const auto &c :
       std::vector<std::pair<std::string, std::vector<int>>>{{"12345", {0, 1, 2, 3, 4, 5}},
                                                             {"1234567", {2, 3, 4, 5, 6, 7}},
                                                             {"A-12", {0, 0, 0, 0, 1, 2}},
                                                             {"000942", {0, 0, 0, 9, 4, 2}},
                                                             {"1½", {0, 0, 0, 0, 1, -1}},
                                                             {"\u0661\u0662", {0, 0, 0, 0, 1, 2}},
                                                             {"", {-1, -1, -1, -1, -1, -1}}}) {
    GrayBitmap image = render(exam, 0, 1, SheetFill{"Sam", c.first, false});
    EXPECT_EQ(filledDigits(image, layout), c.second) << c.first;
    for (int j = 0; j < 6; ++j) {
      Rect box = layout.idDigitBox(j);
      bool written = region(image, {box.x + 2, box.y + 2, 8, 11}, dpi).darkCount > 0;
      EXPECT_EQ(written, c.second[static_cast<std::size_t>(j)] >= 0) << c.first << " " << j;
    }
  }
  // Blank sheets leave the grid empty.
  EXPECT_EQ(filledDigits(render(exam), layout), (std::vector<int>(6, -1)));
}

TEST(SheetRenderer, longTitleIsCutToTheHeaderAndEmptyTitleReadsTest) {
  Exam exam = makeExam(20, 4, 6, Paper::letter,
                       "Midterm examination in organic chemistry, all sections, second semester");
  SheetLayout layout(exam);
  // The ink ends just short of the ID grid, which starts 16 points right of the header.
  auto title =
      darkBounds(render(exam), {0, 58 * scale, (layout.headerRight() + 14) * scale, 18 * scale});
  ASSERT_TRUE(title);
  EXPECT_LE(title->maxX(), layout.headerRight() * scale);
  EXPECT_GT(title->maxX(), (layout.headerRight() - 30) * scale);
  EXPECT_EQ(render(makeExam(20, 4, 6, Paper::letter, "")),
            render(makeExam(20, 4, 6, Paper::letter, "Test")));
}

TEST(SheetPDF, printsJobsInOrderWithFillsInArrayOrderAndEveryPageOfASheetTogether) {
  Exam exam = makeExam(150, 4, 1, Paper::a4, "Final");
  SheetLayout layout(exam);
  auto pdf = SheetPDF::make(
      exam, {SheetJob{1, 5, {SheetFill{"Bo", "3", false}, SheetFill{"Al", "8", false}}},
             SheetJob{2, 2, {}}, SheetJob{0, 0, {SheetFill::answerKey()}}});
  ASSERT_TRUE(pdf);
  auto facts = testing::pdfFacts(*pdf);
  ASSERT_TRUE(facts);
  EXPECT_TRUE(facts->title == "Final" && facts->creator == "Ovalon");
  EXPECT_NEAR(facts->pageSize.width, 595.28, 0.01);
  EXPECT_NEAR(facts->pageSize.height, 841.89, 0.01);
  // Sheets of two pages each: one of version B per fill, whatever the job's count; two blank
  // ones of C; the key.
  const std::vector<std::tuple<int, int, bool, std::string>> sheets{{1, 3, false, "Bo"},
                                                                    {1, 8, false, "Al"},
                                                                    {2, -1, false, ""},
                                                                    {2, -1, false, ""},
                                                                    {0, -1, true, "ANSWER KEY"}};
  ASSERT_EQ(facts->pageCount, 10);
  for (int i = 0; i < 10; ++i) {
    SCOPED_TRACE(i);
    const auto &[version, digit, isKey, name] = sheets[static_cast<size_t>(i / 2)];
    auto page = testing::renderPdfPage(*pdf, i, dpi);
    ASSERT_TRUE(page);
    auto identity = SheetIdentity::parse(testing::readQRCodes(*page).at(0));
    ASSERT_TRUE(identity);
    EXPECT_EQ(*identity,
              (SheetIdentity{exam.examCode(), version, i % 2 + 1, exam.signature(), isKey}));
    if (i % 2 == 0) {
      EXPECT_EQ(filledDigits(*page, layout), std::vector<int>{digit});
      EXPECT_TRUE(testing::pdfPageText(*pdf, i).contains(name));
    }
  }
}

TEST(SheetPDF, pagesCarryTheirInstructionsAndInformationLines) {
  Exam twoPages = makeExam(150);
  auto pdf =
      SheetPDF::make(twoPages, {SheetJob{0, 1, {}}, SheetJob{0, 1, {SheetFill::answerKey()}}});
  ASSERT_TRUE(pdf);
  const std::vector<std::pair<int, std::string>> phrases{
      {0, "Page 1 of 2"},
      {0, "Use a dark pencil or pen. Fill each bubble completely."},
      {0, "Ovalon · Keep the four corner squares clear. Don't fold."},
      {1, "Page 2 of 2"},
      {1, "Page 2: write your name above."},
      {1, "Fill each bubble completely. One answer per question."},
      {2, "Answer key: fill the right answer for every question."},
      {2, "Scan it with the class. Leave the student ID blank."}};
  for (const auto &[page, phrase] : phrases)
    EXPECT_TRUE(testing::pdfPageText(*pdf, page).contains(phrase)) << phrase;

  Exam onePage = makeExam(100);
  std::string single = testing::pdfPageText(*SheetPDF::make(onePage, {SheetJob{}}), 0);
  EXPECT_TRUE(single.contains("Test " + onePage.examCode()) && !single.contains("Page 1 of"));
}

} // namespace
} // namespace ovalon
