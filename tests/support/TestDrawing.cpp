#include "support/TestDrawing.h"

#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

namespace ovalon::testing {

GrayImage drawnImage(int64_t width, int64_t height, const std::function<void(cairo_t *)> &draw) {
  cairo_surface_t *surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width),
                                                        static_cast<int>(height));
  cairo_t *cr = cairo_create(surface);
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char *data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  std::vector<uint8_t> pixels(static_cast<size_t>(width * height));
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      const auto pixel = *reinterpret_cast<const uint32_t *>(data + y * stride + 4 * x);
      const unsigned r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
      pixels[static_cast<size_t>(y * width + x)] =
          static_cast<uint8_t>((299 * r + 587 * g + 114 * b + 500) / 1000);
    }
  cairo_surface_destroy(surface);
  return GrayImage(width, height, std::move(pixels));
}

void drawQr(cairo_t *cr, const std::string &text, double x, double y, double module) {
  ZXing::MultiFormatWriter writer(ZXing::BarcodeFormat::QRCode);
  writer.setMargin(0);
  writer.setEccLevel(5);
  const ZXing::BitMatrix matrix = writer.encode(text, 0, 0);
  for (int row = 0; row < matrix.height(); ++row)
    for (int column = 0; column < matrix.width(); ++column)
      if (matrix.get(column, row))
        cairo_rectangle(cr, x + column * module, y + row * module, module, module);
  cairo_fill(cr);
}

} // namespace ovalon::testing
