#include "screens/ContentView.h"

#include "model/AppModel.h"
#include "screens/BuilderView.h"
#include "screens/ElidedLabel.h"
#include "screens/EmptyLibraryView.h"
#include "screens/GradingView.h"
#include "screens/ModelSignals.h"
#include "screens/ProgressBanner.h"
#include "screens/ReportView.h"
#include "screens/ReviewView.h"
#include "screens/SheetsView.h"
#include "screens/Shortcuts.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace ovalon {

namespace {

constexpr int reviewTab = 3;

} // namespace

ContentView::ContentView(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), areas_(new QStackedWidget(this)), test_(new QWidget(this)),
      tabs_(new QTabBar(test_)), pages_(new QStackedWidget(test_)) {
  setObjectName("contentView");
  auto *empty = new EmptyLibraryView(model, this);
  empty->setObjectName("emptyLibrary");
  connect(empty, &EmptyLibraryView::newTestRequested, this, &ContentView::newTestRequested);
  empty_ = empty;

  tabs_->setObjectName("tabs");
  tabs_->setAccessibleName("Steps");
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  const std::pair<const char *, const char *> tabs[]{{"Test", "checklist"},
                                                     {"Print", "printer"},
                                                     {"Grade", "doc.viewfinder"},
                                                     {"Review", "checkmark"},
                                                     {"Results", "chart.bar"}};
  for (auto [title, symbol] : tabs)
    tabs_->addTab(ui::symbol(symbol), title);

  builder_ = new BuilderView(model, pages_);
  pages_->addWidget(builder_);
  auto *sheets = new SheetsView(model, pages_);
  connect(sheets, &SheetsView::printPreviewRequested, this, &ContentView::printPreviewRequested);
  pages_->addWidget(sheets);
  pages_->addWidget(new GradingView(model, pages_));
  pages_->addWidget(new ReviewView(model, pages_));
  pages_->addWidget(new ReportView(model, pages_));

  auto *grade = new QPushButton(ui::symbol("doc.viewfinder"), "Grade Scans", test_);
  grade->setObjectName("gradeScansButton");
  grade->setToolTip(
      shortcuts::hint("Grade a scanned PDF from the copier", shortcuts::gradeScans()));
  connect(grade, &QPushButton::clicked, &model, [&model] { model.gradeScans(); });
  gradeButton_ = grade;

  auto *hint = new ElidedLabel("Build the test, print sheets, grade the scan, review flagged "
                               "marks, then see results (" +
                                   shortcuts::text(shortcuts::tab(1)) + " to " +
                                   shortcuts::text(shortcuts::tab(5)) + ")",
                               test_);
  hint->setObjectName("tabHint");

  auto *header = new QHBoxLayout;
  header->setContentsMargins(12, 8, 12, 0);
  header->addWidget(tabs_);
  header->addSpacing(12);
  header->addWidget(hint, 1);
  header->addWidget(grade);

  auto *line = new QFrame(test_);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);

  auto *testLayout = new QVBoxLayout(test_);
  testLayout->setContentsMargins(0, 0, 0, 0);
  testLayout->setSpacing(0);
  testLayout->addLayout(header);
  testLayout->addWidget(line);
  auto *banner = new ProgressBanner(model, test_);
  auto *bannerRow = new QHBoxLayout;
  bannerRow->setContentsMargins(12, 8, 12, 0);
  bannerRow->addWidget(banner);
  testLayout->addLayout(bannerRow);
  testLayout->addWidget(pages_, 1);

  areas_->addWidget(empty_);
  areas_->addWidget(test_);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(areas_);

  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    if (!refreshing_ && index >= 0)
      model_.setTab(static_cast<AppModel::Tab>(index));
  });
  followSelectedTest(model, this, [this] { refresh(); });
  connect(&model, &AppModel::tabChanged, this, &ContentView::refresh);
  refresh();
}

void ContentView::focusTitle() {
  builder_->focusTitle();
}

void ContentView::refresh() {
  refreshing_ = true;
  bool hasTest = model_.selectedDocument() != nullptr;
  areas_->setCurrentWidget(hasTest ? test_ : empty_);
  if (hasTest) {
    int tab = static_cast<int>(model_.tab());
    if (tabs_->currentIndex() != tab)
      tabs_->setCurrentIndex(tab);
    if (pages_->currentIndex() != tab) {
      pages_->setCurrentIndex(tab);
      // The keyboard follows the tab, so Ctrl+4 and a letter settle a mark.
      pages_->currentWidget()->setFocus(Qt::OtherFocusReason);
    }
    int open = model_.openItemCount();
    QString review = open > 0 ? QString("Review (%1)").arg(open) : QString("Review");
    if (tabs_->tabText(reviewTab) != review)
      tabs_->setTabText(reviewTab, review);
    // A warning only while something waits; a check once everything is settled.
    if (reviewIconOpen_ != (open > 0)) {
      reviewIconOpen_ = open > 0;
      tabs_->setTabIcon(reviewTab, ui::symbol(open > 0 ? "exclamationmark.triangle" : "checkmark"));
    }
    // One reading job at a time: the banner's run has to finish first.
    gradeButton_->setEnabled(!model_.progress());
  }
  refreshing_ = false;
}

} // namespace ovalon
