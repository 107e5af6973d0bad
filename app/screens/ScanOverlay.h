#pragma once

#include <QImage>
#include <QRectF>
#include <QString>
#include <QWidget>

#include <vector>

namespace ovalon {

struct Exam;
struct ScannedSheet;

// A stored page picture with a ring around each answer: right, wrong or still to review.
// The picture is the page straightened into the sheet frame (corner centre to corner
// centre), so sheet positions map onto it by scale alone.
class ScanOverlay : public QWidget {
public:
  enum class Mark { right, wrong, review };

  // One ring, in fractions of the sheet frame (0…1 both ways).
  struct Ring {
    QRectF rect;
    Mark mark = Mark::right;
    bool round = true; // a bubble; otherwise a whole row or its number
    int position = 0;  // printed position
    bool operator==(const Ring &) const = default;
  };

  explicit ScanOverlay(QWidget *parent = nullptr);

  void setPage(const QImage &image, std::vector<Ring> rings);
  const std::vector<Ring> &rings() const { return rings_; }

  // The rings of page `page` (from 1) of a graded sheet, scored against the exam's key.
  static std::vector<Ring> rings(const Exam &exam, const ScannedSheet &sheet, int page);
  // "Scanned sheet, page 2: Wrong or blank: questions 3, 7. 1 to review."
  static QString summary(const std::vector<Ring> &rings, int page);

  bool hasHeightForWidth() const override { return !image_.isNull(); }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  QRectF imageRect() const;

  QImage image_;
  std::vector<Ring> rings_;
};

} // namespace ovalon
