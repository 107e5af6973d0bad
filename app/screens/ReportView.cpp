#include "screens/ReportView.h"

#include "model/AppModel.h"
#include "screens/Histogram.h"
#include "screens/ItemList.h"
#include "screens/ScoreList.h"
#include "screens/Shortcuts.h"
#include "screens/SummaryCards.h"
#include "screens/Ui.h"
#include "screens/VersionMeans.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

enum Page { empty, results };

} // namespace

ReportView::ReportView(AppModel &model, QWidget *parent) : TabView(model, parent), model_(model) {
  auto *outer = new QVBoxLayout(this);
  outer->setContentsMargins(0, 0, 0, 0);
  stack_ = new QStackedWidget(this);
  outer->addWidget(stack_);

  stack_->addWidget(ui::emptyState(
      "No Results Yet",
      "Grade the class\u2019s scan and the scores and question report show up here.", stack_));

  auto *scroll = new QScrollArea(stack_);
  scroll->setWidgetResizable(true);
  scroll->setFrameShape(QFrame::NoFrame);
  auto *content = new QWidget(scroll);
  auto *layout = new QVBoxLayout(content);

  auto *statusRow = new QHBoxLayout;
  status_ = new QLabel(content);
  status_->setObjectName("resultsStatus");
  status_->setWordWrap(true);
  openReview_ = new QPushButton("Open Review", content);
  openReview_->setObjectName("openReview");
  statusRow->addWidget(status_, 1);
  statusRow->addWidget(openReview_);
  layout->addLayout(statusRow);
  provisional_ = ui::note("Provisional until review is done", content);
  provisional_->setObjectName("provisional");
  layout->addWidget(provisional_);

  auto *exports = new QHBoxLayout;
  scores_ = new QPushButton("Gradebook CSV\u2026", content);
  scores_->setObjectName("exportScores");
  scores_->setToolTip(
      shortcuts::hint("Scores and answers for your gradebook", shortcuts::exportScores()));
  slips_ = new QPushButton("Result Slips PDF", content);
  slips_->setObjectName("exportSlips");
  slips_->setToolTip(
      shortcuts::hint("A slip for each student: score and the questions they missed, "
                      "with the right answers",
                      shortcuts::exportSlips()));
  auto *slipMenu = new QMenu(slips_);
  slipMenu->setObjectName("slipLayouts");
  slipMenu->addAction("One per Page\u2026", this,
                      [this] { model_.exportSlips(SlipLayout::onePerPage); });
  slipMenu->addAction("Four per Page (to Cut Apart)\u2026", this,
                      [this] { model_.exportSlips(SlipLayout::fourPerPage); });
  slips_->setMenu(slipMenu);
  report_ = new QPushButton("Item Analysis PDF\u2026", content);
  report_->setObjectName("exportReport");
  report_->setToolTip(
      shortcuts::hint("The question-by-question report", shortcuts::exportReport()));
  exports->addWidget(scores_);
  exports->addWidget(slips_);
  exports->addWidget(report_);
  exports->addStretch();
  layout->addLayout(exports);

  cards_ = new SummaryCards(content);
  layout->addWidget(cards_);
  auto *charts = new QHBoxLayout;
  histogram_ = new Histogram(content);
  versions_ = new VersionMeans(content);
  charts->addWidget(histogram_, 3);
  charts->addWidget(versions_, 1);
  layout->addLayout(charts);
  auto *lists = new QHBoxLayout;
  scoreList_ = new ScoreList(content);
  items_ = new ItemList(content);
  lists->addWidget(scoreList_, 4);
  lists->addWidget(items_, 5);
  layout->addLayout(lists, 1);
  scroll->setWidget(content);
  stack_->addWidget(scroll);

  connect(openReview_, &QPushButton::clicked, this,
          [this] { model_.setTab(AppModel::Tab::review); });
  connect(scores_, &QPushButton::clicked, this, [this] { model_.exportScores(false); });
  connect(report_, &QPushButton::clicked, this, [this] { model_.exportReport(); });
  refresh();
}

void ReportView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  bool anyCounted = doc && std::ranges::any_of(doc->sheets, [](const ScannedSheet &sheet) {
                      return !sheet.excluded;
                    });
  if (!anyCounted) {
    stack_->setCurrentIndex(empty);
    shown_.clear();
    return;
  }
  stack_->setCurrentIndex(results);

  auto blocker = model_.exportBlocker();
  int open = model_.openItemCount();
  status_->setText(blocker ? ui::text(*blocker)
                           : QString("Every mark is settled. Scores are final."));
  openReview_->setVisible(blocker && open > 0);
  provisional_->setVisible(open > 0);
  for (QPushButton *button : {scores_, slips_, report_})
    button->setEnabled(!blocker && !model_.progress());

  // The figures only change with the document; the analysis itself is the model's cache.
  QString shown = ui::text(doc->exam.id.text()) + "|" +
                  QString::number(doc->modified.sinceReferenceDate, 'f', 6) + "|" +
                  QString::number(doc->sheets.size());
  if (shown == shown_)
    return;
  shown_ = shown;
  auto analysis = model_.analysis();
  if (!analysis)
    return;
  cards_->setSummary(analysis->summary);
  histogram_->setCounts(analysis->summary.histogram);
  versions_->setSummary(analysis->summary);
  versions_->setVisible(doc->exam.versions.size() > 1);
  scoreList_->setDocument(*doc);
  items_->setAnalysis(*analysis, doc->exam.choiceCount);
}

} // namespace ovalon
