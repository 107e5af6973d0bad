#include "../ScriptedPanels.h"
#include "AppTestScans.h"
#include "Dragging.h"
#include "SampleLibrary.h"
#include "ViewCells.h"

#include "library/FileIO.h"
#include "model/AppModel.h"
#include "screens/GradingView.h"
#include "screens/ScanOverlay.h"
#include "sheets/SheetLayout.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

TEST(GradingView, aDroppedScanLightsTheAreaAndIsGraded) {
  TempDir dir;
  ExamDocument doc = quizDocument();
  ExamLibrary library{dir / "Library"};
  ASSERT_TRUE(library.save(doc));
  AppModel model(library);
  GradingView view(model);
  view.resize(1280, 820);
  view.show();
  auto *area = view.findChild<DropArea *>("dropArea");
  ASSERT_TRUE(area);
  EXPECT_TRUE(view.findChild<QWidget *>("gradingTips")->isVisible());

  // While a gradable drag is over the area it lights up.
  fs::path scan = dir / "Class Scan.PDF";
  writeScan(scan, doc.exam, {filledSheet({0, 1, 2, 3, 0, 1, 2, 3, 0, std::nullopt}, "1002")});
  auto data = dragOf(scan);
  QDragEnterEvent enter(area->rect().center(), Qt::CopyAction, data.get(), Qt::LeftButton,
                        Qt::NoModifier);
  QApplication::sendEvent(area, &enter);
  EXPECT_TRUE(enter.isAccepted());
  EXPECT_TRUE(area->dropTargeted());
  QDragLeaveEvent leave;
  QApplication::sendEvent(area, &leave);
  EXPECT_FALSE(area->dropTargeted());

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

TEST(GradingView, selectingARowShowsThatSheetsScanWithRingsOnItsBubbles) {
  SampleGrading sample;
  AppModel &model = *sample.model;
  GradingView view(model);
  view.resize(1280, 820);
  view.show();
  const ExamDocument &doc = *model.selectedDocument();
  auto *table = view.findChild<QTreeView *>("sheetTable");
  ASSERT_EQ(table->model()->rowCount(), static_cast<int>(doc.sheets.size()));
  EXPECT_TRUE(view.findChild<QLabel *>("sheetSummary")
                  ->text()
                  .startsWith(QString::number(doc.sheets.size()) + " sheets graded"));

  table->setCurrentIndex(table->model()->index(3, 0));
  ASSERT_TRUE(model.selectedSheet());
  const ScannedSheet &sheet =
      *std::ranges::find(doc.sheets, *model.selectedSheet(), &ScannedSheet::id);
  EXPECT_EQ(sheet.number, cells(table, 3)[0].toInt());
  EXPECT_EQ(view.findChild<QLabel *>("sheetTitle")->text(),
            "Sheet " + QString::number(sheet.number));

  // Selecting from the model moves the table's selection too.
  const ScannedSheet &other = doc.sheets[7];
  model.setSelectedSheet(other.id);
  QModelIndexList selected = table->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().data().toInt(), other.number);

  // Every ring drawn as a chosen bubble sits on a dark bubble of the stored page.
  auto *overlay = view.findChild<ScanOverlay *>("scanOverlay");
  ASSERT_TRUE(overlay && overlay->isVisible());
  ASSERT_FALSE(other.pageImages.empty());
  std::optional<QImage> page = model.image(other.pageImages.front());
  ASSERT_TRUE(page);
  QImage gray = page->convertToFormat(QImage::Format_Grayscale8);
  int bubbles = 0;
  int dark = 0;
  for (const ScanOverlay::Ring &ring : overlay->rings()) {
    if (!ring.round)
      continue;
    ++bubbles;
    QPointF centre = ring.rect.center();
    int x = static_cast<int>(centre.x() * gray.width());
    int y = static_cast<int>(centre.y() * gray.height());
    if (qGray(gray.pixel(x, y)) < 110)
      ++dark;
  }
  EXPECT_GT(bubbles, 20);
  EXPECT_GE(dark, bubbles - 1) << "rings should sit on the marks they stand for";

  // The summary for the screen reader follows the rings.
  EXPECT_TRUE(overlay->accessibleName().startsWith("Scanned sheet, page 1: "));
}

TEST(GradingView, sheetsSortByValueAndOffRosterNamesShowAsReadFromTheSheet) {
  SampleGrading sample;
  AppModel &model = *sample.model;
  GradingView view(model);
  view.show();
  const ExamDocument &doc = *model.selectedDocument();
  auto *table = view.findChild<QTreeView *>("sheetTable");
  model.setSelectedSheet(doc.sheets[4].id);

  // Numbers sort as numbers (26 after 9), and the selection stays on its sheet.
  table->sortByColumn(0, Qt::DescendingOrder);
  QStringList numbers = column(table, 0);
  ASSERT_EQ(numbers.size(), static_cast<int>(doc.sheets.size()));
  for (int row = 1; row < numbers.size(); ++row)
    EXPECT_GT(numbers[row - 1].toInt(), numbers[row].toInt()) << row;
  QModelIndexList selected = table->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().data().toInt(), doc.sheets[4].number);
  table->sortByColumn(5, Qt::AscendingOrder);
  QStringList percents = column(table, 5);
  for (int row = 1; row < percents.size(); ++row)
    EXPECT_LE(percents[row - 1].chopped(1).toInt(), percents[row].chopped(1).toInt()) << row;

  // A sheet whose ID isn't on the roster goes by the name written on it, marked as such.
  auto offRoster = std::ranges::find_if(doc.sheets, [&](const ScannedSheet &sheet) {
    return !sheet.readID.empty() && !doc.roster.student(sheet.readID) && sheet.name &&
           !sheet.name->text.empty();
  });
  ASSERT_NE(offRoster, doc.sheets.end()) << "the sample class has an unlisted ID";
  auto rows = table->model()->match(table->model()->index(0, 0), Qt::DisplayRole,
                                    QString::number(offRoster->number), 1, Qt::MatchExactly);
  ASSERT_EQ(rows.size(), 1);
  QModelIndex student = rows.front().siblingAtColumn(1);
  EXPECT_EQ(student.data().toString(), "\u201c" + QString::fromStdString(offRoster->name->text) +
                                           "\u201d (read from the sheet)");
  EXPECT_TRUE(student.data(Qt::FontRole).value<QFont>().italic());
  EXPECT_TRUE(student.data(Qt::ToolTipRole).toString().contains("isn\u2019t on the roster"));
}

TEST(GradingView, reviewButtonJumpsToTheSheetsFirstOpenMark) {
  SampleGrading sample;
  AppModel &model = *sample.model;
  GradingView view(model);
  view.show();
  const ExamDocument &doc = *model.selectedDocument();
  auto flagged = std::ranges::find_if(
      doc.sheets, [](const ScannedSheet &sheet) { return !sheet.openFlags().empty(); });
  ASSERT_NE(flagged, doc.sheets.end());
  Uuid sheetID = flagged->id;
  Uuid firstOpen = flagged->openFlags().front().id;
  int open = static_cast<int>(flagged->openFlags().size());
  model.setSelectedSheet(sheetID);
  auto *button = view.findChild<QPushButton *>("reviewMarks");
  ASSERT_TRUE(button->isVisible());
  EXPECT_EQ(button->text(), "Review " + QString::number(open) + (open == 1 ? " Mark" : " Marks"));
  button->click();
  EXPECT_EQ(model.tab(), AppModel::Tab::review);
  EXPECT_EQ(model.reviewSelection(),
            (AppModel::ReviewItem{AppModel::ReviewItem::Flag{sheetID, firstOpen}}));

  // "Rescan" asks for the new scan of this student's sheet.
  ScriptedPanels panels;
  model.setPanels(&panels);
  view.findChild<QPushButton *>("rescanSheet")->click();
  ASSERT_EQ(panels.opensAsked.size(), 1u);
  EXPECT_TRUE(panels.opensAsked[0].message.starts_with("Choose a new scan of "));
  EXPECT_EQ(panels.opensAsked[0].button, "Rescan");
  model.setPanels(nullptr);

  // Leaving the sheet out shows in its row.
  view.findChild<QPushButton *>("leaveOut")->click();
  auto *table = view.findChild<QTreeView *>("sheetTable");
  auto rows = table->model()->match(table->model()->index(0, 0), Qt::DisplayRole,
                                    QString::number(flagged->number), 1, Qt::MatchExactly);
  ASSERT_EQ(rows.size(), 1);
  EXPECT_EQ(cells(table, rows.front().row())[6], "Left out");
}

} // namespace
} // namespace ovalon
