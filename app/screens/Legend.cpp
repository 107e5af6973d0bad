#include "screens/Legend.h"

#include "screens/Tone.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace ovalon {

namespace {

constexpr ui::Tone tones[]{ui::Tone::right, ui::Tone::wrong, ui::Tone::review};

QPixmap ring(const QColor &color, qreal ratio) {
  constexpr int side = 14;
  QPixmap pixmap(QSize(side, side) * ratio);
  pixmap.setDevicePixelRatio(ratio);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(color, 2.5));
  painter.drawEllipse(QRectF(2, 2, side - 4, side - 4));
  return pixmap;
}

} // namespace

Legend::Legend(QWidget *parent) : QWidget(parent) {
  auto *layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  const char *titles[]{"Right", "Wrong", "To review"};
  for (const char *title : titles) {
    auto *swatch = new QLabel(this);
    swatches_.push_back(swatch);
    layout->addWidget(swatch);
    layout->addWidget(new QLabel(title, this));
    layout->addSpacing(10);
  }
  layout->addStretch();
  drawSwatches();
}

void Legend::drawSwatches() {
  for (size_t i = 0; i < swatches_.size(); ++i)
    swatches_[i]->setPixmap(ring(ui::toneColor(tones[i], palette()), devicePixelRatioF()));
}

void Legend::changeEvent(QEvent *event) {
  if (event->type() == QEvent::PaletteChange)
    drawSwatches();
  QWidget::changeEvent(event);
}

} // namespace ovalon
