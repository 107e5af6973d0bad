#pragma once

#include <QAbstractButton>

namespace ovalon {

// A choice letter drawn like a bubble on the sheet: an outline, filled in the
// selection colour when it is an answer. Painted from the palette, so it follows
// light and dark themes without a style sheet.
class BubbleButton : public QAbstractButton {
  Q_OBJECT

public:
  explicit BubbleButton(const QString &letter, QWidget *parent = nullptr);

  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;
  void enterEvent(QEnterEvent *event) override;
  void leaveEvent(QEvent *event) override;

private:
  bool hovered_ = false;
};

} // namespace ovalon
