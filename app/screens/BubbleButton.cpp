#include "screens/BubbleButton.h"

#include "screens/Tone.h"

#include <QPainter>

#include <algorithm>

namespace ovalon {

BubbleButton::BubbleButton(const QString &letter, QWidget *parent) : QAbstractButton(parent) {
  setText(letter);
  setCheckable(true);
  setFocusPolicy(Qt::TabFocus);
  setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QSize BubbleButton::sizeHint() const {
  int side = std::max(22, fontMetrics().height() + 8);
  return {side, side};
}

void BubbleButton::enterEvent(QEnterEvent *event) {
  hovered_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void BubbleButton::leaveEvent(QEvent *event) {
  hovered_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void BubbleButton::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  const QPalette &colours = palette();
  QColor highlight = colours.color(QPalette::Highlight);
  QColor base = colours.color(QPalette::Base);
  QColor ink = colours.color(QPalette::Text);
  bool filled = isChecked();
  QColor outline = filled || hovered_ || hasFocus() ? highlight : ui::mix(ink, base, 0.55);
  QColor letter = filled ? colours.color(QPalette::HighlightedText) : ink;
  if (!isEnabled()) {
    outline = ui::mix(outline, base, 0.5);
    letter = ui::mix(letter, filled ? highlight : base, 0.5);
  }
  int side = std::min(width(), height());
  QRectF circle((width() - side) / 2.0 + 1, (height() - side) / 2.0 + 1, side - 2, side - 2);
  painter.setPen(QPen(outline, hasFocus() ? 2.0 : 1.0));
  painter.setBrush(filled ? (isEnabled() ? highlight : ui::mix(highlight, base, 0.5)) : base);
  painter.drawEllipse(circle);
  QFont font = this->font();
  font.setBold(filled);
  painter.setFont(font);
  painter.setPen(letter);
  painter.drawText(circle, Qt::AlignCenter, text());
}

} // namespace ovalon
