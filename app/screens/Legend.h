#pragma once

#include <QWidget>

#include <vector>

class QLabel;

namespace ovalon {

// What the rings on a scanned page mean: a swatch for each, in the tones the rings use,
// drawn for the window's own colours.
class Legend : public QWidget {
  Q_OBJECT

public:
  explicit Legend(QWidget *parent = nullptr);

protected:
  void changeEvent(QEvent *event) override;

private:
  void drawSwatches();

  std::vector<QLabel *> swatches_;
};

} // namespace ovalon
