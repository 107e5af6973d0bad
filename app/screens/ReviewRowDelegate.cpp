#include "screens/ReviewRowDelegate.h"

#include "screens/ReviewListModel.h"
#include "screens/Tone.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

namespace ovalon {

namespace {

constexpr int padding = 6;
constexpr int badgeSide = 18;
constexpr int gap = 8;

ui::Tone tone(ReviewRow::Kind kind) {
  switch (kind) {
  case ReviewRow::Kind::blank:
    return ui::Tone::quiet;
  case ReviewRow::Kind::double_:
  case ReviewRow::Kind::faint:
    return ui::Tone::review;
  case ReviewRow::Kind::studentID:
    return ui::Tone::student;
  case ReviewRow::Kind::missingPage:
    return ui::Tone::page;
  case ReviewRow::Kind::issue:
    break;
  }
  return ui::Tone::wrong;
}

QString mark(ReviewRow::Kind kind) {
  static const char *const marks[] = {"", "2", "~", "#", "+", "!"};
  return marks[static_cast<int>(kind)];
}

void drawBadge(QPainter &painter, const QRectF &circle, ReviewRow::Kind kind, bool open,
               const QPalette &palette) {
  QColor color = ui::toneColor(tone(kind), palette);
  painter.setRenderHint(QPainter::Antialiasing);
  QFont font = painter.font();
  font.setBold(true);
  font.setPixelSize(11);
  painter.setFont(font);
  if (open) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(circle);
    painter.setPen(ui::isDark(palette) ? palette.color(QPalette::Base) : QColor(Qt::white));
    painter.drawText(circle, Qt::AlignCenter, mark(kind));
    return;
  }
  painter.setPen(QPen(color, 1.5));
  painter.setBrush(Qt::NoBrush);
  painter.drawEllipse(circle.adjusted(0.75, 0.75, -0.75, -0.75));
  painter.drawText(circle, Qt::AlignCenter, QStringLiteral("\u2713"));
}

} // namespace

QSize ReviewRowDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
  QFontMetrics metrics(option.font);
  int height = padding * 2 + metrics.height() * 2 + 2;
  return {badgeSide + gap + metrics.averageCharWidth() * 22 + padding * 2,
          std::max(height, badgeSide + padding * 2)};
}

void ReviewRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
  QStyleOptionViewItem item = option;
  initStyleOption(&item, index);
  item.text.clear();
  const QWidget *widget = option.widget;
  QStyle *style = widget ? widget->style() : QApplication::style();
  style->drawControl(QStyle::CE_ItemViewItem, &item, painter, widget);

  auto kind = static_cast<ReviewRow::Kind>(index.data(ReviewListModel::kindRole).toInt());
  bool open = index.data(ReviewListModel::openRole).toBool();
  bool selected = option.state & QStyle::State_Selected;
  const QPalette &palette = option.palette;
  QColor text = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
  QColor background = palette.color(selected ? QPalette::Highlight : QPalette::Base);
  QColor title = open ? text : ui::mix(text, background, 0.35);
  QColor detail = ui::mix(text, background, open ? 0.3 : 0.45);

  painter->save();
  QRect area = option.rect.adjusted(padding, padding, -padding, -padding);
  QRectF circle(area.left(), area.center().y() - badgeSide / 2.0 + 0.5, badgeSide, badgeSide);
  drawBadge(*painter, circle, kind, open, palette);

  QRect lines = area.adjusted(badgeSide + gap, 0, 0, 0);
  QFont titleFont = option.font;
  titleFont.setBold(open);
  QFontMetrics titleMetrics(titleFont);
  QFontMetrics detailMetrics(option.font);
  QRect titleRect(lines.left(), lines.top(), lines.width(), titleMetrics.height());
  painter->setFont(titleFont);
  painter->setPen(title);
  painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                    titleMetrics.elidedText(index.data(ReviewListModel::titleRole).toString(),
                                            Qt::ElideRight, lines.width()));
  QString detailText = index.data(ReviewListModel::detailRole).toString();
  QString settled = index.data(ReviewListModel::settledRole).toString();
  if (!settled.isEmpty())
    detailText += " \u00B7 " + settled;
  QRect detailRect(lines.left(), titleRect.bottom() + 3, lines.width(), detailMetrics.height());
  painter->setFont(option.font);
  painter->setPen(detail);
  painter->drawText(detailRect, Qt::AlignLeft | Qt::AlignVCenter,
                    detailMetrics.elidedText(detailText, Qt::ElideRight, lines.width()));
  painter->restore();
}

} // namespace ovalon
