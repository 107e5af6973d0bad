#include "screens/SheetPicture.h"

#include "sheets/BitmapCanvas.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"

#include <QPainter>

namespace ovalon {

namespace {

// Enough detail for a window-sized preview, rendered once per change.
constexpr double previewDotsPerInch = 150;

} // namespace

SheetPicture::SheetPicture(QWidget *parent) : QWidget(parent) {
  setObjectName("sheetPicture");
  setMinimumSize(240, 300);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

QImage SheetPicture::render(const Exam &exam, int version, int page,
                            const std::optional<SheetFill> &fill, double dotsPerInch) {
  Size pageSize = SheetLayout(exam).pageSize;
  BitmapCanvas canvas(pageSize, dotsPerInch / 72.0);
  SheetRenderer::draw(exam, version, page, fill, canvas.canvas());
  GrayBitmap bitmap = canvas.bitmap();
  // The bitmap's rows are exactly `width` bytes; the copy detaches from its buffer.
  QImage image(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.width,
               QImage::Format_Grayscale8);
  image = image.copy();
  image.setDotsPerMeterX(qRound(dotsPerInch / 0.0254));
  image.setDotsPerMeterY(qRound(dotsPerInch / 0.0254));
  return image;
}

void SheetPicture::show(const Exam &exam, int version, int page,
                        const std::optional<SheetFill> &fill) {
  Shown wanted{exam, version, page, fill};
  // Rendering costs tens of milliseconds, so an unchanged page is not drawn again.
  if (shown_ && *shown_ == wanted)
    return;
  image_ = render(exam, version, page, fill, previewDotsPerInch);
  shown_ = std::move(wanted);
  update();
}

void SheetPicture::paintEvent(QPaintEvent *) {
  if (image_.isNull())
    return;
  QPainter painter(this);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  QSizeF size = QSizeF(image_.size())
                    .scaled(QSizeF(rect().adjusted(4, 4, -6, -6).size()), Qt::KeepAspectRatio);
  QRectF target(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), size);
  painter.fillRect(target.translated(2, 2), QColor(0, 0, 0, 40));
  painter.drawImage(target, image_);
  painter.setPen(QColor(0, 0, 0, 70));
  painter.drawRect(target);
}

} // namespace ovalon
