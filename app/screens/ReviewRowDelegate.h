#pragma once

#include <QStyledItemDelegate>

namespace ovalon {

// Paints one review item: a badge in its kind's tone (filled while open, an outline
// with a check once settled), the title, and the detail line. Open items read at full
// strength and settled ones are dimmed, in light and dark themes alike.
class ReviewRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

} // namespace ovalon
