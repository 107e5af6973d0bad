#include "../ScriptedPanels.h"
#include "SampleLibrary.h"
#include "ViewCells.h"

#include "model/AppModel.h"
#include "screens/Histogram.h"
#include "screens/ItemList.h"
#include "screens/ReportView.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>

namespace ovalon {
namespace {

using namespace testing;
namespace fs = std::filesystem;

// A question with every note there is: in a narrow list its notes take more lines
// rather than ending in "…".
TEST(ReportView, itemNotesWrapOntoMoreLinesInsteadOfBeingCut) {
  ItemStats busy;
  busy.notes = {ItemNote::negative(), ItemNote::unusedDistractor(0), ItemNote::unusedDistractor(2),
                ItemNote::unusedDistractor(3), ItemNote::strongDistractor(1)};
  ItemStats quiet;
  quiet.question = 1;
  ItemAnalysis analysis;
  analysis.items = {busy, quiet};
  ItemList list;
  list.resize(640, 500);
  list.show();
  list.setAnalysis(analysis, 4);
  QApplication::processEvents();
  QTreeView *view = list.view();
  QModelIndex notes = view->model()->index(0, 5);
  QString text = notes.data().toString();
  int width = view->header()->sectionSize(5);
  QRect needed =
      view->fontMetrics().boundingRect(QRect(0, 0, width - 8, 10000), Qt::TextWordWrap, text);
  ASSERT_GT(needed.height(), view->fontMetrics().height()) << "the notes are long enough to wrap";
  EXPECT_GE(view->visualRect(notes).height(), needed.height());
  EXPECT_LT(view->visualRect(view->model()->index(1, 5)).height(), needed.height());
}

TEST(ReportView, showsTheModelsAnalysisAndFollowsTheDocument) {
  TempDir dir;
  copyGradedSampleLibrary(dir / "Library");
  AppModel model(ExamLibrary{dir / "Library"});
  ReportView view(model);
  view.resize(1280, 820);
  view.show();
  auto analysis = model.analysis();
  ASSERT_TRUE(analysis);
  const ExamSummary &summary = analysis->summary;
  EXPECT_EQ(view.findChild<QLabel *>("cardSheets")->text(), QString::number(summary.count));
  EXPECT_EQ(view.findChild<QLabel *>("cardMean")->text(),
            QString::asprintf("%.0f%%", summary.mean));
  EXPECT_EQ(view.findChild<QLabel *>("cardLow")->text(), QString::asprintf("%.0f%%", summary.low));
  ASSERT_TRUE(summary.reliability);
  auto *reliability = view.findChild<QLabel *>("cardReliability");
  EXPECT_EQ(reliability->text(), QString::asprintf("%.2f", *summary.reliability));
  EXPECT_TRUE(reliability->toolTip().startsWith("Cronbach's alpha"));
  EXPECT_EQ(view.findChild<Histogram *>()->counts(), summary.histogram);

  auto *items = view.findChild<QTreeView *>("itemList");
  const Exam &exam = model.selectedDocument()->exam;
  ASSERT_EQ(items->model()->rowCount(), exam.questionCount);
  EXPECT_EQ(items->model()->headerData(3, Qt::Horizontal).toString(), "Discrim.");
  EXPECT_EQ(cells(items, 0)[1], "B"); // the sample key starts BCADA
  auto *scores = view.findChild<QTreeView *>("scoreList");
  EXPECT_EQ(scores->model()->rowCount(), summary.count);

  // Leaving a sheet out takes it out of every figure.
  Uuid first = model.selectedDocument()->sheets.front().id;
  model.setExcluded(first, true);
  EXPECT_EQ(scores->model()->rowCount(), summary.count - 1);
  EXPECT_EQ(view.findChild<QLabel *>("cardSheets")->text(), QString::number(summary.count - 1));

  // The status names what still blocks the exports and offers the way there.
  ASSERT_GT(model.openItemCount(), 0);
  auto *openReview = view.findChild<QPushButton *>("openReview");
  EXPECT_TRUE(openReview->isVisible());
  openReview->click();
  EXPECT_EQ(model.tab(), AppModel::Tab::review);
}

TEST(ReportView, exportButtonsCallTheModelsExportsOnceReady) {
  TempDir dir;
  copyGradedSampleLibrary(dir / "Library");
  AppModel model(ExamLibrary{dir / "Library"});
  ScriptedPanels panels;
  model.setPanels(&panels);
  ReportView view(model);
  view.show();
  // Leave out every sheet with open marks, so the rest is final.
  for (const ScannedSheet &sheet : std::vector(model.selectedDocument()->sheets))
    if (!sheet.openFlags().empty())
      model.setExcluded(sheet.id, true);
  ASSERT_FALSE(model.exportBlocker());
  auto *slips = view.findChild<QPushButton *>("exportSlips");
  ASSERT_TRUE(slips->menu());
  auto actions = slips->menu()->actions();
  auto four =
      std::ranges::find(actions, QString("Four per Page (to Cut Apart)\u2026"), &QAction::text);
  ASSERT_NE(four, actions.end());
  panels.saveAnswers.push_back(dir / "slips.pdf");
  (*four)->trigger();
  ASSERT_EQ(panels.savesAsked.size(), 1u);
  EXPECT_TRUE(panels.savesAsked[0].fileName.ends_with(" Result Slips.pdf"));
  EXPECT_TRUE(fs::exists(dir / "slips.pdf"));
}

TEST(ReportView, saysThereAreNoResultsBeforeGrading) {
  TempDir dir;
  ExamLibrary library{dir / "Library"};
  ASSERT_TRUE(library.save(ExamDocument::make(Exam::untitled())));
  AppModel model(library);
  ReportView view(model);
  view.show();
  auto labels = view.findChildren<QLabel *>();
  EXPECT_TRUE(std::ranges::any_of(
      labels, [](QLabel *l) { return l->text() == "No Results Yet" && l->isVisible(); }));
  EXPECT_FALSE(view.findChild<QPushButton *>("exportScores")->isVisible());
}

} // namespace
} // namespace ovalon
