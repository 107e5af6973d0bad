#include "model/Exam.h"
#include "sheets/SheetLayout.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ovalon {
namespace {

SheetLayout layout(int questions, int choices = 4, int idDigits = 6, Paper paper = Paper::letter) {
  return SheetLayout(LayoutSignature{questions, choices, idDigits, paper});
}

TEST(SheetLayout, pageSizeFollowsPaper) {
  EXPECT_EQ(layout(20).pageSize, (Size{612, 792}));
  EXPECT_EQ(layout(20, 4, 6, Paper::a4).pageSize, (Size{595.28, 841.89}));
  Exam exam = Exam::make(Uuid::random(), "T", Date{}, 30, 3, 4, Paper::a4, 1);
  EXPECT_EQ(SheetLayout(exam), layout(30, 3, 4, Paper::a4));
}

TEST(SheetLayout, cornersSitThirtySixFromTheEdgesInReadingOrder) {
  SheetLayout l = layout(20);
  EXPECT_EQ(l.cornerCenters(),
            (decltype(l.cornerCenters()){{{36, 36}, {576, 36}, {576, 756}, {36, 756}}}));
  EXPECT_EQ(std::pair(l.cornerRect(0), l.cornerRect(2)),
            std::pair(Rect{27, 27, 18, 18}, Rect{567, 747, 18, 18}));
  EXPECT_THROW(l.cornerRect(4), std::out_of_range);
  EXPECT_EQ(l.cornerFrame(), (Rect{36, 36, 540, 720}));
}

TEST(SheetLayout, codeAndVersionBoxesHugTheRightMargin) {
  SheetLayout l = layout(20);
  EXPECT_EQ(l.codeRect(), (Rect{478, 54, 80, 80}));
  EXPECT_EQ(l.versionRect(), (Rect{478, 140, 80, 100}));
  SheetLayout a4 = layout(20, 4, 6, Paper::a4);
  EXPECT_DOUBLE_EQ(a4.versionRect().x, 595.28 - 134);
  EXPECT_DOUBLE_EQ(a4.codeRect().maxX(), 595.28 - 54);
}

TEST(SheetLayout, idGridSitsLeftOfTheSymbol) {
  SheetLayout ten = layout(20, 4, 10);
  ASSERT_TRUE(ten.idRect());
  EXPECT_EQ(*ten.idRect(), (Rect{612 - 312, 58, 162, 176}));
  EXPECT_EQ(ten.idRect()->maxX(), 612 - 150);
  EXPECT_EQ(ten.headerRight(), 612 - 312 - 16);

  SheetLayout six = layout(20, 4, 6);
  Rect id = *six.idRect();
  EXPECT_EQ(id, (Rect{478 - 16 - 102, 58, 102, 176}));
  EXPECT_EQ(six.idDigitBox(0), (Rect{id.x + 7.5, 72, 12, 15}));
  EXPECT_EQ(six.idDigitBox(5), (Rect{id.x + 6 + 75 + 1.5, 72, 12, 15}));
  EXPECT_EQ(six.idBubbleCenter(0, 0), (Point{id.x + 13.5, 58 + 34 + 6.75}));
  EXPECT_EQ(six.idBubbleCenter(2, 9), (Point{id.x + 6 + 30 + 7.5, 58 + 34 + 121.5 + 6.75}));
  EXPECT_FALSE(layout(20, 4, 0).idRect());
  EXPECT_EQ(layout(20, 4, 0).headerRight(), 478 - 16);
  // The last bubble stays inside the frame.
  EXPECT_LT(six.idBubbleCenter(5, 9).y + SheetLayout::idBubbleRadius, id.maxY());
  EXPECT_LT(six.idBubbleCenter(5, 9).x + SheetLayout::idBubbleRadius, id.maxX());
}

TEST(SheetLayout, hundredQuestionsFillFourColumnsOfTwentyFive) {
  SheetLayout l = layout(100);
  EXPECT_EQ(l.columns(1), (SheetLayout::Columns{4, 25, 126, 72}));
  EXPECT_EQ(layout(10).columns(1), (SheetLayout::Columns{1, 10, 134, 261}));
  EXPECT_EQ(l.place(0), (SheetLayout::Placement{4, 25, 126, 72, 0, 0}));
  EXPECT_EQ(l.place(24), (SheetLayout::Placement{4, 25, 126, 72, 0, 24}));
  EXPECT_EQ(l.place(25), (SheetLayout::Placement{4, 25, 126, 72, 1, 0}));
  EXPECT_EQ(l.place(99), (SheetLayout::Placement{4, 25, 126, 72, 3, 24}));
  EXPECT_EQ(l.rowRect(99).maxY(), 727);
  EXPECT_LT(l.rowRect(99).maxY(), l.cornerRect(3).minY());
}

TEST(SheetLayout, columnsAreBalancedNotFilledGreedily) {
  // Uneven counts round the rows up: 31 questions are columns of 16 and 15.
  for (auto [questions, count, rows] : {std::tuple{26, 2, 13}, {60, 3, 20}, {31, 2, 16}}) {
    const SheetLayout l = layout(questions);
    EXPECT_EQ(std::pair(l.columns(1).count, l.columns(1).rows), std::pair(count, rows));
    EXPECT_EQ(std::tuple(l.place(rows - 1).column, l.place(rows).column, l.place(rows).row),
              std::tuple(0, 1, 0))
        << questions;
  }
}

TEST(SheetLayout, secondPageHoldsTheRest) {
  SheetLayout l = layout(101);
  EXPECT_EQ(std::pair(l.page(99), l.page(100)), std::pair(1, 2));
  EXPECT_EQ(std::tuple(*l.positions(1).begin(), l.positions(1).size(), *l.positions(2).begin(),
                       l.positions(2).size()),
            std::tuple(0, 100u, 100, 1u));
  EXPECT_EQ(l.columns(1), (SheetLayout::Columns{4, 25, 126, 72}));
  EXPECT_EQ(l.place(100), (SheetLayout::Placement{1, 1, 134, 261, 0, 0}));
  EXPECT_EQ(l.numberRect(100), (Rect{261, 252, 19, 19}));
}

TEST(SheetLayout, pitchSpreadsBetweenItsBoundsOnA4) {
  SheetLayout l = layout(100, 5, 6, Paper::a4);
  SheetLayout::Columns c = l.columns(1);
  EXPECT_DOUBLE_EQ(c.pitch, (595.28 - 108) / 4);
  EXPECT_DOUBLE_EQ(c.x0, 54 + ((595.28 - 108) - (107 + 3 * c.pitch)) / 2);
  // Two-choice columns are pulled together to at most 44 apart.
  EXPECT_DOUBLE_EQ(layout(100, 2).columns(1).pitch, 56 + 44);
}

TEST(SheetLayout, bubblesAndRowsFollowThePlacement) {
  SheetLayout l = layout(100);
  EXPECT_EQ(l.bubbleCenter(0, 0), (Point{72 + 22 + 8.5, 261.5}));
  EXPECT_EQ(l.bubbleCenter(26, 3), (Point{72 + 126 + 22 + 17 * 3.5, 252 + 19 + 9.5}));
  EXPECT_EQ(l.numberRect(26), (Rect{198, 271, 19, 19}));
  EXPECT_EQ(l.rowRect(26), (Rect{195, 271, 17 * 4 + 22 + 6, 19}));
  // The row's slack covers the last bubble.
  EXPECT_GT(l.rowRect(26).maxX(), l.bubbleCenter(26, 3).x + SheetLayout::bubbleRadius);
}

TEST(SheetLayout, imageCoordinatesStartAtTheTopLeftCorner) {
  SheetLayout letter = layout(20);
  EXPECT_EQ(letter.imageSize(1), (PixelSize{540, 720}));
  EXPECT_EQ(letter.imageSize(2.5), (PixelSize{1350, 1800}));
  // A4 at 2.5: 523.28 × 2.5 = 1308.2 and 769.89 × 2.5 = 1924.725.
  EXPECT_EQ(layout(20, 4, 6, Paper::a4).imageSize(2.5), (PixelSize{1308, 1925}));
  // Halves round away from zero: 540 × 0.125 = 67.5 exactly.
  EXPECT_EQ(letter.imageSize(0.125), (PixelSize{68, 90}));
  EXPECT_EQ(letter.toImage(letter.cornerCenters()[0], 2.5), (Point{0, 0}));
  EXPECT_EQ(letter.toImage(letter.cornerCenters()[2], 2), (Point{1080, 1440}));
  EXPECT_EQ(letter.toImage(Rect{46, 56, 10, 4}, 2.5), (Rect{25, 50, 25, 10}));
}

} // namespace
} // namespace ovalon
