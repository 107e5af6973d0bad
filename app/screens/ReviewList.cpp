#include "screens/ReviewList.h"

#include "model/AppModel.h"
#include "screens/ReviewListModel.h"
#include "screens/ReviewRowDelegate.h"

#include <QKeyEvent>

namespace ovalon {

namespace {

bool isReviewKey(const QKeyEvent *event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  int key = event->key();
  return (key >= Qt::Key_A && key <= Qt::Key_H) || key == Qt::Key_Delete ||
         key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

ReviewList::ReviewList(AppModel &model, QWidget *parent)
    : QListView(parent), model_(model), items_(new ReviewListModel(this)) {
  setObjectName("reviewList");
  setAccessibleName("Items to review");
  setModel(items_);
  setItemDelegate(new ReviewRowDelegate(this));
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setMinimumWidth(240);
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex &current) { currentMoved(current); });
  refresh();
}

void ReviewList::refresh() {
  filling_ = true;
  const ExamDocument *doc = model_.selectedDocument();
  items_->show(doc, doc ? model_.reviewItems() : std::vector<Review::Item>{});
  QModelIndex selected;
  if (const auto &selection = model_.reviewSelection())
    selected = items_->indexOf(*selection);
  if (selected.isValid()) {
    if (currentIndex() != selected || !selectionModel()->isSelected(selected))
      selectionModel()->setCurrentIndex(selected, QItemSelectionModel::ClearAndSelect);
    scrollTo(selected);
  } else {
    selectionModel()->clear();
  }
  filling_ = false;
}

void ReviewList::currentMoved(const QModelIndex &current) {
  if (filling_)
    return;
  auto item = items_->itemAt(current);
  if (item && model_.reviewSelection() != *item)
    model_.setReviewSelection(*item);
}

void ReviewList::keyPressEvent(QKeyEvent *event) {
  if (isReviewKey(event)) {
    event->ignore();
    return;
  }
  QListView::keyPressEvent(event);
}

} // namespace ovalon
