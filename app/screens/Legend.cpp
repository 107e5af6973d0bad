#include "screens/Legend.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace ovalon {

namespace {

QPixmap ring(const QColor &color) {
  QPixmap pixmap(14, 14);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color, 2.5));
  painter.drawEllipse(QRectF(2, 2, 10, 10));
  return pixmap;
}

} // namespace

Legend::Legend(QWidget *parent) : QWidget(parent) {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  const std::pair<QColor, const char *> entries[] = {
      {rightColor(), "Right"}, {wrongColor(), "Wrong"}, {reviewColor(), "To review"}};
  for (const auto &[color, title] : entries) {
    auto *swatch = new QLabel(this);
    swatch->setPixmap(ring(color));
    layout->addWidget(swatch);
    layout->addWidget(new QLabel(title, this));
    layout->addSpacing(10);
  }
  layout->addStretch();
}

} // namespace ovalon
