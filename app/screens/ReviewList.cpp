#include "screens/ReviewList.h"

#include "model/AppModel.h"
#include "screens/Legend.h"
#include "screens/ReviewRow.h"
#include "screens/Ui.h"

#include <QKeyEvent>
#include <QPainter>

#include <algorithm>

namespace ovalon {

namespace {

QColor kindColor(ReviewRow::Kind kind) {
  switch (kind) {
  case ReviewRow::Kind::blank:
    return QColor(0x80, 0x80, 0x80);
  case ReviewRow::Kind::double_:
  case ReviewRow::Kind::faint:
    return Legend::reviewColor();
  case ReviewRow::Kind::studentID:
    return QColor(0x2f, 0x6f, 0xd6);
  case ReviewRow::Kind::missingPage:
    return QColor(0x8e, 0x4e, 0xc6);
  case ReviewRow::Kind::issue:
    break;
  }
  return Legend::wrongColor();
}

// A small badge in the kind's colour: filled while open, an outline once settled.
QIcon kindIcon(ReviewRow::Kind kind, bool open) {
  static const char marks[] = {' ', '2', '~', '#', '+', '!'};
  QPixmap pixmap(18, 18);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  QColor color = kindColor(kind);
  painter.setPen(QPen(color, 1.6));
  painter.setBrush(open ? QBrush(color) : QBrush(Qt::NoBrush));
  painter.drawEllipse(QRectF(1.5, 1.5, 15, 15));
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(11);
  painter.setFont(font);
  painter.setPen(open ? Qt::white : color);
  painter.drawText(QRectF(0, 0, 18, 18), Qt::AlignCenter,
                   QString(QChar(marks[static_cast<int>(kind)])));
  return QIcon(pixmap);
}

bool isReviewKey(const QKeyEvent *event) {
  if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  int key = event->key();
  return (key >= Qt::Key_A && key <= Qt::Key_H) || key == Qt::Key_Delete ||
         key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter;
}

} // namespace

ReviewList::ReviewList(AppModel &model, QWidget *parent) : QListWidget(parent), model_(model) {
  setObjectName("reviewList");
  setSelectionMode(QAbstractItemView::SingleSelection);
  setIconSize(QSize(18, 18));
  setSpacing(2);
  setMinimumWidth(240);
  connect(this, &QListWidget::itemSelectionChanged, this, &ReviewList::selectionMoved);
  refresh();
}

void ReviewList::refresh() {
  filling_ = true;
  const ExamDocument *doc = model_.selectedDocument();
  std::vector<Review::Item> items = doc ? model_.reviewItems() : std::vector<Review::Item>{};
  std::erase_if(items, [&](const Review::Item &item) { return !ReviewRow::make(*doc, item); });
  // The same items are updated in place, so the list keeps its scroll position.
  if (items != items_) {
    clear();
    items_ = items;
    for (size_t i = 0; i < items_.size(); ++i)
      addItem(new QListWidgetItem);
  }
  for (size_t i = 0; i < items_.size(); ++i) {
    auto row = ReviewRow::make(*doc, items_[i]);
    QString text = ui::text(row->title) + "\n" + ui::text(row->detail);
    if (row->settled)
      text += " \u00B7 " + ui::text(*row->settled);
    QListWidgetItem *entry = item(static_cast<int>(i));
    entry->setText(text);
    entry->setIcon(kindIcon(row->kind, row->open));
    entry->setData(Qt::ForegroundRole,
                   row->open ? QVariant() : QVariant(palette().brush(QPalette::PlaceholderText)));
    bool selected = model_.reviewSelection() == items_[i];
    entry->setSelected(selected);
    if (selected) {
      setCurrentItem(entry);
      scrollToItem(entry);
    }
  }
  if (!model_.reviewSelection())
    clearSelection();
  filling_ = false;
}

void ReviewList::selectionMoved() {
  if (filling_)
    return;
  auto selected = selectedItems();
  int index = selected.isEmpty() ? -1 : row(selected.front());
  if (index < 0 || index >= static_cast<int>(items_.size()))
    return;
  const Review::Item &item = items_[static_cast<size_t>(index)];
  if (model_.reviewSelection() != item)
    model_.setReviewSelection(item);
}

void ReviewList::keyPressEvent(QKeyEvent *event) {
  if (isReviewKey(event)) {
    event->ignore();
    return;
  }
  QListWidget::keyPressEvent(event);
}

} // namespace ovalon
