#pragma once

#include <QWidget>

#include <vector>

class QGridLayout;
class QLabel;

namespace ovalon {

// One bar per bubble of a flagged row, each with how much of it looks filled.
class FillBars : public QWidget {
  Q_OBJECT

public:
  explicit FillBars(QWidget *parent = nullptr);

  // Fills in printed bubble order, 0…1.5 as the mark reader gives them.
  void setFills(const std::vector<double> &fills);

  // "42% filled", capped at 100.
  static QString fillText(double fill);

private:
  QGridLayout *grid_;
  QLabel *none_;
};

} // namespace ovalon
