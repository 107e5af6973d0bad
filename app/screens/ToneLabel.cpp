#include "screens/ToneLabel.h"

#include <QEvent>

namespace ovalon {

ToneLabel::ToneLabel(ui::Tone tone, const QString &text, QWidget *parent)
    : QLabel(text, parent), tone_(tone) {
  setWordWrap(true);
  applyTone();
}

void ToneLabel::setTone(ui::Tone tone) {
  if (tone_ == tone)
    return;
  tone_ = tone;
  applyTone();
}

QColor ToneLabel::color() const {
  return palette().color(QPalette::WindowText);
}

void ToneLabel::applyTone() {
  applying_ = true;
  QPalette colours = palette();
  colours.setColor(QPalette::WindowText, ui::toneColor(tone_, colours));
  setPalette(colours);
  applying_ = false;
}

void ToneLabel::changeEvent(QEvent *event) {
  // The window's colours changed under us (a theme switch): the tone follows them.
  if (event->type() == QEvent::PaletteChange && !applying_)
    applyTone();
  QLabel::changeEvent(event);
}

} // namespace ovalon
