#include "../ScriptedPanels.h"
#include "ScreenHelpers.h"

#include "model/AppModel.h"
#include "screens/Histogram.h"
#include "screens/ReportView.h"
#include "support/TempDir.h"

#include <QApplication>
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
  ASSERT_TRUE(summary.reliability);
  auto *reliability = view.findChild<QLabel *>("cardReliability");
  EXPECT_EQ(reliability->text(), QString::asprintf("%.2f", *summary.reliability));
  EXPECT_EQ(view.findChild<Histogram *>()->counts(), summary.histogram);

  auto *items = view.findChild<QTreeView *>("itemList");
  const Exam &exam = model.selectedDocument()->exam;
  ASSERT_EQ(items->model()->rowCount(), exam.questionCount);
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

} // namespace
} // namespace ovalon
