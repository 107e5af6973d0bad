#pragma once

#include "sheets/Canvas.h"
#include "sheets/GrayBitmap.h"
#include "sheets/PixelSize.h"
#include "sheets/Size.h"

#include <memory>

namespace ovalon {

// A page drawn into pixels instead of PDF: the same canvas, starting in page
// coordinates (points, origin bottom-left, y upward) on white, rasterised at
// `pixelsPerPoint` (200 dpi is 200 / 72) with antialiasing.
class BitmapCanvas {
public:
  BitmapCanvas(Size pageSize, double pixelsPerPoint);
  ~BitmapCanvas();
  BitmapCanvas(const BitmapCanvas &) = delete;
  BitmapCanvas &operator=(const BitmapCanvas &) = delete;

  // Whole pixels covering the page: each side rounded up.
  static PixelSize pixelSize(Size pageSize, double pixelsPerPoint);

  Canvas &canvas();

  // What has been drawn so far, as luminance.
  GrayBitmap bitmap() const;

private:
  struct Surface;
  std::unique_ptr<Surface> surface_;
};

} // namespace ovalon
