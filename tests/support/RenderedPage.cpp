#include "support/RenderedPage.h"

#include "sheets/BitmapCanvas.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace ovalon::testing {

namespace {

std::unique_ptr<poppler::document> load(const Bytes &pdf) {
  return std::unique_ptr<poppler::document>(poppler::document::load_from_raw_data(
      reinterpret_cast<const char *>(pdf.data()), static_cast<int>(pdf.size())));
}

std::string utf8(const poppler::ustring &text) {
  poppler::byte_array bytes = text.to_utf8();
  return std::string(bytes.begin(), bytes.end());
}

} // namespace

std::optional<PdfFacts> pdfFacts(const Bytes &pdf) {
  auto document = load(pdf);
  if (!document)
    return std::nullopt;
  PdfFacts facts;
  facts.pageCount = document->pages();
  facts.title = utf8(document->info_key("Title"));
  facts.creator = utf8(document->info_key("Creator"));
  if (facts.pageCount > 0) {
    std::unique_ptr<poppler::page> page(document->create_page(0));
    poppler::rectf box = page->page_rect(poppler::media_box);
    facts.pageSize = {box.width(), box.height()};
  }
  return facts;
}

std::string pdfPageText(const Bytes &pdf, int index) {
  auto document = load(pdf);
  if (!document || index < 0 || index >= document->pages())
    return "";
  std::unique_ptr<poppler::page> page(document->create_page(index));
  return utf8(page->text());
}

std::optional<GrayBitmap> renderPdfPage(const Bytes &pdf, int index, double dpi) {
  auto document = load(pdf);
  if (!document || index < 0 || index >= document->pages())
    return std::nullopt;
  std::unique_ptr<poppler::page> page(document->create_page(index));
  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_gray8);
  renderer.set_render_hint(poppler::page_renderer::antialiasing, true);
  renderer.set_render_hint(poppler::page_renderer::text_antialiasing, true);
  poppler::image image = renderer.render_page(page.get(), dpi, dpi);
  if (!image.is_valid())
    return std::nullopt;
  GrayBitmap bitmap = GrayBitmap::blank(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      bitmap.at(x, y) = static_cast<uint8_t>(image.const_data()[y * image.bytes_per_row() + x]);
  return bitmap;
}

GrayBitmap drawPage(Size pageSize, double dpi, const std::function<void(Canvas &)> &draw) {
  BitmapCanvas canvas(pageSize, dpi / 72);
  draw(canvas.canvas());
  return canvas.bitmap();
}

Region region(const GrayBitmap &image, Rect points, double dpi) {
  const double s = dpi / 72;
  int x0 = std::max(0, static_cast<int>(std::ceil(points.minX() * s)));
  int y0 = std::max(0, static_cast<int>(std::ceil(points.minY() * s)));
  int x1 = std::min(image.width, static_cast<int>(std::floor(points.maxX() * s)));
  int y1 = std::min(image.height, static_cast<int>(std::floor(points.maxY() * s)));
  Region r;
  double sum = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      uint8_t v = image.at(x, y);
      ++r.count;
      r.darkCount += v < 128;
      sum += v;
      r.min = std::min(r.min, v);
      r.max = std::max(r.max, v);
    }
  if (r.count > 0)
    r.mean = sum / r.count;
  return r;
}

std::optional<Rect> darkBounds(const GrayBitmap &image, Rect pixels, int threshold) {
  int x0 = std::max(0, static_cast<int>(pixels.minX()));
  int y0 = std::max(0, static_cast<int>(pixels.minY()));
  int x1 = std::min(image.width, static_cast<int>(pixels.maxX()));
  int y1 = std::min(image.height, static_cast<int>(pixels.maxY()));
  int left = x1, top = y1, right = -1, bottom = -1;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x)
      if (image.at(x, y) < threshold) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  if (right < 0)
    return std::nullopt;
  return Rect{static_cast<double>(left), static_cast<double>(top),
              static_cast<double>(right - left + 1), static_cast<double>(bottom - top + 1)};
}

} // namespace ovalon::testing
