#include "sheets/BitmapCanvas.h"

#include "sheets/CairoCanvas.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>

namespace ovalon {

struct BitmapCanvas::Surface {
  cairo_surface_t *surface = nullptr;
  std::unique_ptr<CairoCanvas> canvas;

  ~Surface() {
    canvas.reset();
    cairo_surface_destroy(surface);
  }
};

PixelSize BitmapCanvas::pixelSize(Size pageSize, double pixelsPerPoint) {
  // The small allowance keeps a size that is whole up to rounding error from growing a pixel.
  auto side = [&](double points) {
    return std::max(1, static_cast<int>(std::ceil(points * pixelsPerPoint - 1e-6)));
  };
  return {side(pageSize.width), side(pageSize.height)};
}

BitmapCanvas::BitmapCanvas(Size pageSize, double pixelsPerPoint)
    : surface_(std::make_unique<Surface>()) {
  PixelSize size = pixelSize(pageSize, pixelsPerPoint);
  surface_->surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, size.width, size.height);
  cairo_t *cr = cairo_create(surface_->surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_scale(cr, pixelsPerPoint, pixelsPerPoint);
  surface_->canvas = std::make_unique<CairoCanvas>(cr, pageSize.height);
  cairo_destroy(cr); // the canvas holds its own reference
}

BitmapCanvas::~BitmapCanvas() = default;

Canvas &BitmapCanvas::canvas() {
  return *surface_->canvas;
}

GrayBitmap BitmapCanvas::bitmap() const {
  cairo_surface_t *surface = surface_->surface;
  cairo_surface_flush(surface);
  const int width = cairo_image_surface_get_width(surface);
  const int height = cairo_image_surface_get_height(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  const unsigned char *data = cairo_image_surface_get_data(surface);
  GrayBitmap image = GrayBitmap::blank(width, height);
  if (!data)
    return image;
  for (int y = 0; y < height; ++y) {
    auto *row = reinterpret_cast<const uint32_t *>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      uint32_t r = row[x] >> 16 & 0xFF, g = row[x] >> 8 & 0xFF, b = row[x] & 0xFF;
      image.at(x, y) = static_cast<uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
    }
  }
  return image;
}

} // namespace ovalon
