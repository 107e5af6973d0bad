#include "screens/ContentView.h"

#include "model/AppModel.h"
#include "screens/BuilderView.h"
#include "screens/EmptyLibraryView.h"
#include "screens/GradingView.h"
#include "screens/ProgressBanner.h"
#include "screens/ReportView.h"
#include "screens/ReviewView.h"
#include "screens/SheetsView.h"
#include "screens/Ui.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

namespace ovalon {

ContentView::ContentView(AppModel &model, QWidget *parent)
    : QWidget(parent), model_(model), areas_(new QStackedWidget(this)),
      empty_(new EmptyLibraryView(model, this)), test_(new QWidget(this)),
      tabs_(new QTabBar(test_)), pages_(new QStackedWidget(test_)) {
  setObjectName("contentView");
  empty_->setObjectName("emptyLibrary");
  tabs_->setObjectName("tabs");
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  for (const char *title : {"Test", "Print", "Grade", "Review", "Results"})
    tabs_->addTab(title);
  tabs_->setTabIcon(0, ui::symbol("checklist"));
  tabs_->setTabIcon(1, ui::symbol("printer"));
  tabs_->setTabIcon(2, ui::symbol("doc.viewfinder"));
  tabs_->setTabIcon(3, ui::symbol("exclamationmark.triangle"));
  tabs_->setTabIcon(4, ui::symbol("checkmark"));

  pages_->addWidget(new BuilderView(model, pages_));
  pages_->addWidget(new SheetsView(model, pages_));
  pages_->addWidget(new GradingView(model, pages_));
  pages_->addWidget(new ReviewView(model, pages_));
  pages_->addWidget(new ReportView(model, pages_));

  auto *grade = new QPushButton(ui::symbol("doc.viewfinder"), "Grade Scans", test_);
  grade->setObjectName("gradeScansButton");
  grade->setToolTip("Grade a scanned PDF from the copier (" +
                    ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_G)) + ")");
  connect(grade, &QPushButton::clicked, &model, [&model] { model.gradeScans(); });
  gradeButton_ = grade;

  QLabel *hint = ui::note("Build the test, print sheets, grade the scan, review flagged marks, "
                          "then see results (" +
                              ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_1)) + " to " +
                              ui::shortcutText(QKeySequence(Qt::CTRL | Qt::Key_5)) + ")",
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
  connect(&model, &AppModel::changed, this, &ContentView::refresh);
  refresh();
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
    if (tabs_->tabText(3) != review)
      tabs_->setTabText(3, review);
    // One reading job at a time: the banner's run has to finish first.
    gradeButton_->setEnabled(!model_.progress());
  }
  refreshing_ = false;
}

} // namespace ovalon
