#pragma once

#include <QFrame>

namespace ovalon {

// One line of secondary text that gives way when space runs short: it ends in "…"
// instead of wrapping, and shows the whole line as its tooltip then.
class ElidedLabel : public QFrame {
  Q_OBJECT

public:
  explicit ElidedLabel(const QString &text, QWidget *parent = nullptr);

  QString text() const { return text_; }
  // What is drawn at the current width.
  QString shownText() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;

private:
  QString text_;
};

} // namespace ovalon
