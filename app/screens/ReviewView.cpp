#include "screens/ReviewView.h"

#include "model/AppModel.h"
#include "screens/FlagDetail.h"
#include "screens/IssueDetail.h"
#include "screens/ReviewList.h"
#include "screens/ReviewRow.h"
#include "screens/Settings.h"
#include "screens/Shortcuts.h"
#include "screens/Ui.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace ovalon {

namespace {

enum Page { nothingGraded, nothingToReview, reviewing };

// What the detail pane shows and everything it was built from, so it is rebuilt only when
// that changes (never under the teacher's typing otherwise).
QString detailKey(const AppModel &model) {
  const ExamDocument *doc = model.selectedDocument();
  const auto &selection = model.reviewSelection();
  if (!doc || !selection)
    return {};
  auto row = ReviewRow::make(*doc, *selection);
  if (!row)
    return {};
  QString key;
  if (const auto *flag = std::get_if<Review::Item::Flag>(&selection->target))
    key = ui::text(flag->sheet.text() + flag->flag.text());
  else
    key = ui::text(std::get<Review::Item::Issue>(selection->target).issue.text());
  key += "|" + ui::text(row->settled.value_or("open"));
  key += "|" + QString::number(doc->sheets.size()) + "|" +
         QString::number(doc->roster.students.size()) + "|" +
         QString::number(model.progress().has_value());
  return key;
}

} // namespace

ReviewView::ReviewView(AppModel &model, QWidget *parent) : TabView(model, parent), model_(model) {
  setFocusPolicy(Qt::StrongFocus);
  auto *layout = new QVBoxLayout(this);
  stack_ = new QStackedWidget(this);
  layout->addWidget(stack_);

  stack_->addWidget(ui::emptyState(
      "Nothing Graded Yet", "Grade a scan first. Marks that need a look show up here.", stack_));
  auto *seeResults = new QPushButton("See Results");
  seeResults->setObjectName("seeResults");
  connect(seeResults, &QPushButton::clicked, this,
          [this] { model_.setTab(AppModel::Tab::report); });
  stack_->addWidget(ui::emptyState(
      "Nothing to Review", "Every mark was clear. The scores are ready.", stack_, seeResults));

  auto *splitter = new QSplitter(Qt::Horizontal, stack_);
  auto *listSide = new QWidget(splitter);
  // Students missing from the roster are often a whole group: one click takes them all.
  acceptAll_ = new QPushButton(ui::symbol("checkmark"), QString(), listSide);
  acceptAll_->setObjectName("acceptOffRosterIDs");
  acceptAll_->setToolTip("Take every ID that is only missing from the roster as read. Unclear "
                         "IDs and IDs on more than one sheet stay for you.");
  connect(acceptAll_, &QPushButton::clicked, this, [this] { model_.acceptOffRosterIDs(); });
  list_ = new ReviewList(model, listSide);
  list_->setFocusPolicy(Qt::StrongFocus);
  auto *listLayout = new QVBoxLayout(listSide);
  listLayout->setContentsMargins(0, 0, 0, 0);
  listLayout->addWidget(acceptAll_, 0, Qt::AlignLeft);
  listLayout->addWidget(list_, 1);
  detailArea_ = new QScrollArea(splitter);
  detailArea_->setWidgetResizable(true);
  detailArea_->setFrameShape(QFrame::NoFrame);
  splitter->addWidget(listSide);
  splitter->addWidget(detailArea_);
  splitter->setStretchFactor(0, 1);
  splitter->setStretchFactor(1, 2);
  splitter->setChildrenCollapsible(false);
  splitter->setObjectName("reviewSplitter");
  settings::rememberSplitter(*splitter, "review");
  stack_->addWidget(splitter);

  refresh();
}

void ReviewView::refresh() {
  const ExamDocument *doc = model_.selectedDocument();
  if (!doc || (doc->sheets.empty() && doc->issues.empty())) {
    stack_->setCurrentIndex(nothingGraded);
  } else if (model_.reviewItems().empty()) {
    stack_->setCurrentIndex(nothingToReview);
  } else {
    stack_->setCurrentIndex(reviewing);
    list_->refresh();
    int offRoster = model_.offRosterIDCount();
    acceptAll_->setVisible(offRoster > 0);
    acceptAll_->setText(offRoster == 1 ? QString("Accept the Off-Roster ID")
                                       : QString("Accept All %1 Off-Roster IDs").arg(offRoster));
  }
  showDetail();
}

void ReviewView::showDetail() {
  QString key = detailKey(model_);
  if (detail_ && key == shownDetail_)
    return;
  shownDetail_ = key;
  bool hadFocus = detail_ && detail_->isAncestorOf(QApplication::focusWidget());
  if (detail_) {
    // The old pane may be the sender of the decision that got us here.
    detailArea_->takeWidget();
    detail_->hide();
    detail_->deleteLater();
  }
  const auto &selection = model_.reviewSelection();
  if (key.isEmpty() || !selection) {
    auto *hint = new QWidget;
    auto *layout = new QVBoxLayout(hint);
    layout->addStretch();
    auto *text =
        ui::note("Choose an item from the list, or press " +
                     shortcuts::text(shortcuts::nextOpenItem()) + " for the next open one.",
                 hint);
    text->setAlignment(Qt::AlignCenter);
    layout->addWidget(text);
    layout->addStretch();
    detail_ = hint;
  } else if (const auto *flag = std::get_if<Review::Item::Flag>(&selection->target)) {
    detail_ = new FlagDetail(model_, flag->sheet, flag->flag);
  } else {
    detail_ = new IssueDetail(model_, std::get<Review::Item::Issue>(selection->target).issue);
  }
  detail_->setObjectName("reviewDetail");
  detailArea_->setWidget(detail_);
  if (hadFocus)
    setFocus();
}

void ReviewView::keyPressEvent(QKeyEvent *event) {
  // Ctrl, Alt and Meta belong to the menus; a text field keeps what is typed in it.
  if ((event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) ||
      qobject_cast<QLineEdit *>(QApplication::focusWidget())) {
    event->ignore();
    return;
  }
  bool handled = false;
  if (auto *flag = qobject_cast<FlagDetail *>(detail_))
    handled = flag->handleKey(event->key());
  else if (auto *issue = qobject_cast<IssueDetail *>(detail_))
    handled = issue->handleKey(event->key());
  if (handled) {
    event->accept();
    if (!hasFocus() && !isAncestorOf(QApplication::focusWidget()))
      setFocus();
    return;
  }
  QWidget::keyPressEvent(event);
}

} // namespace ovalon
