#include "../ScriptedPanels.h"
#include "AppTestScans.h"
#include "ScreenHelpers.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "screens/GradingView.h"
#include "screens/ScanOverlay.h"
#include "sheets/SheetLayout.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

TEST(GradingView, aDroppedScanIsGradedIntoTheTable) {
  QuizModel quiz;
  const ExamDocument &doc = quiz.doc;
  const fs::path &dir = quiz.dir.path();
  AppModel &model = *quiz.model;
  GradingView view(model);
  view.resize(1280, 820);
  view.show();
  auto *area = view.findChild<DropArea *>("dropArea");
  ASSERT_TRUE(area);
  EXPECT_TRUE(view.findChild<QWidget *>("gradingTips")->isVisible());

  fs::path scan = dir / "Class Scan.PDF";
  writeScan(scan, doc.exam, {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, std::nullopt}, "1002")});

  auto [enteredPdf, droppedPdf] = dragAndDrop(area, scan);
  EXPECT_TRUE(enteredPdf);
  EXPECT_TRUE(droppedPdf);
  ASSERT_TRUE(model.progress()) << "the dropped scan should be grading";
  ASSERT_TRUE(waitUntilIdle(model));
  ASSERT_EQ(model.selectedDocument()->sheets.size(), 1u);

  auto *table = view.findChild<QTreeView *>("sheetTable");
  ASSERT_EQ(table->model()->rowCount(), 1);
  EXPECT_EQ(cells(table, 0),
            (QStringList{"1", "Alan Turing", "1002", "A", "9 / 10", "90%", "1 to review"}));
  EXPECT_EQ(view.findChild<QLabel *>("sheetSummary")->text(), "1 sheet graded");
  EXPECT_FALSE(view.findChild<QWidget *>("gradingTips")->isVisible());
}

struct SampleGrading {
  TempDir dir;
  std::unique_ptr<AppModel> model;
  SampleGrading() {
    copyGradedSampleLibrary(dir / "Library");
    model = std::make_unique<AppModel>(ExamLibrary{dir / "Library"});
  }
};

// The graded sample class's table: selection both ways, the scan with rings on its
// bubbles, sorting, and the sheet's own buttons.
TEST(GradingView, theSheetTableSelectsSortsAndLeadsToTheSheetsScanAndReview) {
  SampleGrading sample;
  AppModel &model = *sample.model;
  GradingView view(model);
  view.resize(1280, 820);
  view.show();
  const ExamDocument &doc = *model.selectedDocument();
  auto *table = view.findChild<QTreeView *>("sheetTable");
  ASSERT_EQ(table->model()->rowCount(), static_cast<int>(doc.sheets.size()));
  table->setCurrentIndex(table->model()->index(3, 0));
  ASSERT_TRUE(model.selectedSheet());
  EXPECT_EQ(std::ranges::find(doc.sheets, *model.selectedSheet(), &ScannedSheet::id)->number,
            cells(table, 3)[0].toInt());
  const ScannedSheet &other = doc.sheets[7];
  model.setSelectedSheet(other.id);
  auto selectedNumber = [table] {
    QModelIndexList selected = table->selectionModel()->selectedRows();
    return selected.size() == 1 ? selected.front().data().toInt() : -1;
  };
  EXPECT_EQ(selectedNumber(), other.number);

  // Every ring drawn as a chosen bubble sits on a dark bubble of the stored page.
  auto *overlay = view.findChild<ScanOverlay *>("scanOverlay");
  ASSERT_TRUE(overlay && overlay->isVisible());
  std::optional<QImage> page = model.image(other.pageImages.at(0));
  ASSERT_TRUE(page);
  QImage gray = page->convertToFormat(QImage::Format_Grayscale8);
  int bubbles = 0, dark = 0;
  for (const ScanOverlay::Ring &ring : overlay->rings()) {
    if (!ring.round)
      continue;
    ++bubbles;
    QPointF centre = ring.rect.center();
    dark += qGray(gray.pixel(static_cast<int>(centre.x() * gray.width()),
                             static_cast<int>(centre.y() * gray.height()))) < 110;
  }
  EXPECT_GT(bubbles, 20);
  EXPECT_GE(dark, bubbles - 1) << "rings should sit on the marks they stand for";

  // Numbers sort as numbers (26 after 9), and the selection stays on its sheet.
  table->sortByColumn(0, Qt::DescendingOrder);
  EXPECT_EQ(column(table, 0).front(), QString::number(doc.sheets.size()));
  EXPECT_EQ(selectedNumber(), other.number);

  auto rowOf = [table](int number) {
    auto rows = table->model()->match(table->model()->index(0, 0), Qt::DisplayRole,
                                      QString::number(number), 1, Qt::MatchExactly);
    return rows.size() == 1 ? rows.front().row() : -1;
  };

  // A flagged sheet's Review button opens its first open mark; Rescan asks for the new
  // scan; Leave Out shows in its row.
  auto flagged = std::ranges::find_if(
      doc.sheets, [](const ScannedSheet &sheet) { return !sheet.openFlags().empty(); });
  ASSERT_NE(flagged, doc.sheets.end());
  const Uuid sheetID = flagged->id, firstOpen = flagged->openFlags().front().id;
  const int number = flagged->number;
  model.setSelectedSheet(sheetID);
  view.findChild<QPushButton *>("reviewMarks")->click();
  EXPECT_EQ(model.tab(), AppModel::Tab::review);
  EXPECT_EQ(model.reviewSelection(),
            (AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheetID, firstOpen}}));
  ScriptedPanels panels;
  model.setPanels(&panels);
  view.findChild<QPushButton *>("rescanSheet")->click();
  ASSERT_EQ(panels.opensAsked.size(), 1u);
  EXPECT_EQ(panels.opensAsked[0].button, "Rescan");
  model.setPanels(nullptr);
  view.findChild<QPushButton *>("leaveOut")->click();
  EXPECT_EQ(cells(table, rowOf(number))[6], "Left out");
}

} // namespace
} // namespace ovalon
