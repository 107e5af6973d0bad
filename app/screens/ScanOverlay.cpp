#include "screens/ScanOverlay.h"

#include "grading/Scoring.h"
#include "screens/Tone.h"
#include "sheets/SheetLayout.h"

#include <QPainter>

#include <algorithm>
#include <set>

namespace ovalon {

namespace {

// The rings lie on the scanned paper, which is white in any theme.
QColor color(ScanOverlay::Mark mark) {
  static const QPalette paper(Qt::black, Qt::white);
  switch (mark) {
  case ScanOverlay::Mark::right:
    return ui::toneColor(ui::Tone::right, paper);
  case ScanOverlay::Mark::wrong:
    return ui::toneColor(ui::Tone::wrong, paper);
  case ScanOverlay::Mark::review:
    break;
  }
  return ui::toneColor(ui::Tone::review, paper);
}

// A rectangle in page points as fractions of the sheet frame.
QRectF inFrame(const SheetLayout &layout, const Rect &rect) {
  Rect frame = layout.cornerFrame();
  Rect image = layout.toImage(rect, 1);
  return {image.x / frame.width, image.y / frame.height, image.width / frame.width,
          image.height / frame.height};
}

Rect around(Point centre, double radius) {
  return {centre.x - radius, centre.y - radius, radius * 2, radius * 2};
}

} // namespace

ScanOverlay::ScanOverlay(QWidget *parent) : QWidget(parent) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

std::vector<ScanOverlay::Ring> ScanOverlay::rings(const Exam &exam, const ScannedSheet &sheet,
                                                  int page) {
  std::vector<Ring> rings;
  const ExamVersion *version = exam.version(sheet.version);
  if (!version || page < 1 || page > exam.pageCount())
    return rings;
  SheetLayout layout(exam);
  SheetScore score = Scoring::score(sheet, exam);
  std::vector<std::optional<int>> answers = sheet.answers();
  std::set<int> toReview;
  for (const ReviewFlag &flag : sheet.openFlags())
    if (flag.position)
      toReview.insert(*flag.position);
  for (int position : layout.positions(page)) {
    if (position >= exam.questionCount)
      break;
    if (toReview.contains(position)) {
      rings.push_back({inFrame(layout, layout.rowRect(position)), Mark::review, false, position});
      continue;
    }
    int question = version->question(position);
    auto correct = question < static_cast<int>(score.correct.size())
                       ? score.correct[static_cast<size_t>(question)]
                       : std::nullopt;
    if (!correct)
      continue; // unkeyed or dropped: nothing to mark
    Mark mark = *correct ? Mark::right : Mark::wrong;
    auto answer = position < static_cast<int>(answers.size())
                      ? answers[static_cast<size_t>(position)]
                      : std::nullopt;
    if (answer)
      rings.push_back({inFrame(layout, around(layout.bubbleCenter(position, *answer),
                                              SheetLayout::bubbleRadius + 2.5)),
                       mark, true, position});
    else
      rings.push_back({inFrame(layout, layout.numberRect(position)), mark, false, position});
  }
  return rings;
}

QString ScanOverlay::summary(const std::vector<Ring> &rings, int page) {
  QStringList wrong;
  int toReview = 0;
  for (const Ring &ring : rings) {
    if (ring.mark == Mark::wrong)
      wrong << QString::number(ring.position + 1);
    else if (ring.mark == Mark::review)
      ++toReview;
  }
  QString text = "Scanned sheet, page " + QString::number(page) + ": ";
  text += wrong.isEmpty() ? QString("Every answer is right.")
                          : "Wrong or blank: questions " + wrong.join(", ") + ".";
  if (toReview > 0)
    text += " " + QString::number(toReview) + " to review.";
  return text;
}

void ScanOverlay::setPage(const QImage &image, std::vector<Ring> rings) {
  image_ = image;
  rings_ = std::move(rings);
  updateGeometry();
  update();
}

int ScanOverlay::heightForWidth(int width) const {
  if (image_.isNull() || image_.width() == 0)
    return 0;
  return width * image_.height() / image_.width();
}

QSize ScanOverlay::sizeHint() const {
  return image_.isNull() ? QSize(400, 300) : QSize(540, heightForWidth(540));
}

QRectF ScanOverlay::imageRect() const {
  if (image_.isNull())
    return {};
  QSizeF size = QSizeF(image_.size()).scaled(QSizeF(this->size()), Qt::KeepAspectRatio);
  return {(width() - size.width()) / 2, (height() - size.height()) / 2, size.width(),
          size.height()};
}

void ScanOverlay::paintEvent(QPaintEvent *) {
  QPainter painter(this);
  QRectF target = imageRect();
  if (target.isEmpty())
    return;
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(target, image_);
  painter.setRenderHint(QPainter::Antialiasing);
  for (const Ring &ring : rings_) {
    QRectF rect(target.x() + ring.rect.x() * target.width(),
                target.y() + ring.rect.y() * target.height(), ring.rect.width() * target.width(),
                ring.rect.height() * target.height());
    painter.setPen(QPen(color(ring.mark), std::max(1.5, target.width() / 400)));
    painter.setBrush(Qt::NoBrush);
    if (ring.round)
      painter.drawEllipse(rect);
    else
      painter.drawRoundedRect(rect, 3, 3);
  }
}

} // namespace ovalon
