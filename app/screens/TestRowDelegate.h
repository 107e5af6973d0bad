#pragma once

#include <QStyledItemDelegate>

namespace ovalon {

// Paints one sidebar row, the test's title over its counts line, in the palette's
// colours. Each wraps at the list's width, and the row is exactly as tall as its lines,
// whatever the theme's fonts.
class TestRowDelegate : public QStyledItemDelegate {
  Q_OBJECT

public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter *painter, const QStyleOptionViewItem &option,
             const QModelIndex &index) const override;
  QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

  // The counts line's font: a little smaller than the title's.
  static QFont countsFont(const QFont &title);

private:
  static int textWidth(const QStyleOptionViewItem &option);
  static QRect lines(const QFont &font, int width, const QString &text);
};

} // namespace ovalon
