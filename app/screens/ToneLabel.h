#pragma once

#include <QLabel>

#ifndef Q_MOC_RUN
#include "screens/Tone.h"
#endif

namespace ovalon {

// A wrapped line of text in one of the meaningful tones (a warning, an error), which
// follows the desktop when it switches between light and dark.
class ToneLabel : public QLabel {
  Q_OBJECT

public:
  ToneLabel(ui::Tone tone, const QString &text = {}, QWidget *parent = nullptr);

  void setTone(ui::Tone tone);
  // The colour the text is drawn in now.
  QColor color() const;

protected:
  void changeEvent(QEvent *event) override;

private:
  void applyTone();

  ui::Tone tone_;
  bool applying_ = false;
};

} // namespace ovalon
