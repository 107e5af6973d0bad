#pragma once

#include <QImage>
#include <QWidget>

#ifndef Q_MOC_RUN
#include "model/Exam.h"
#include "sheets/SheetFill.h"

#include <optional>
#endif

namespace ovalon {

// One answer-sheet page drawn by the sheet renderer, scaled to fit the widget with
// its paper's proportions and a thin shadow, like a page on a desk.
class SheetPicture : public QWidget {
  Q_OBJECT

public:
  explicit SheetPicture(QWidget *parent = nullptr);

  // Redraws only when something that shows on the page has changed.
  void show(const Exam &exam, int version, int page, const std::optional<SheetFill> &fill);
  const QImage &image() const { return image_; }

  // The page rasterised by the sheet renderer at `dotsPerInch`, white paper, gray ink.
  static QImage render(const Exam &exam, int version, int page,
                       const std::optional<SheetFill> &fill, double dotsPerInch);

  QSize sizeHint() const override { return {420, 540}; }

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  struct Shown {
    Exam exam;
    int version = 0;
    int page = 1;
    std::optional<SheetFill> fill;
    bool operator==(const Shown &) const = default;
  };
  std::optional<Shown> shown_;
  QImage image_;
};

} // namespace ovalon
