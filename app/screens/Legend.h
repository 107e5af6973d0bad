#pragma once

#include <QColor>
#include <QWidget>

namespace ovalon {

// What the rings on a scanned page mean.
class Legend : public QWidget {
  Q_OBJECT

public:
  explicit Legend(QWidget *parent = nullptr);

  static QColor rightColor() { return {0x2e, 0x9d, 0x46}; }
  static QColor wrongColor() { return {0xd6, 0x3a, 0x2f}; }
  static QColor reviewColor() { return {0xf0, 0x8c, 0x00}; }
};

} // namespace ovalon
