#include "screens/ElidedLabel.h"

#include "screens/Tone.h"

#include <QPainter>

namespace ovalon {

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent) : QFrame(parent), text_(text) {
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  setAccessibleName(text);
}

QString ElidedLabel::shownText() const {
  return fontMetrics().elidedText(text_, Qt::ElideRight, contentsRect().width());
}

QSize ElidedLabel::sizeHint() const {
  QFontMetrics metrics = fontMetrics();
  return {metrics.horizontalAdvance(text_) + 2, metrics.height()};
}

QSize ElidedLabel::minimumSizeHint() const {
  QFontMetrics metrics = fontMetrics();
  return {metrics.horizontalAdvance(QStringLiteral("\u2026")) * 3, metrics.height()};
}

void ElidedLabel::resizeEvent(QResizeEvent *event) {
  QFrame::resizeEvent(event);
  setToolTip(shownText() == text_ ? QString() : text_);
}

void ElidedLabel::paintEvent(QPaintEvent *event) {
  QFrame::paintEvent(event);
  QPainter painter(this);
  painter.setPen(
      ui::mix(palette().color(QPalette::WindowText), palette().color(QPalette::Window), 0.4));
  painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter, shownText());
}

} // namespace ovalon
