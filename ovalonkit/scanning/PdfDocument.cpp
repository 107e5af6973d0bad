#include "scanning/PdfDocument.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace ovalon {

namespace {

int pixels(double points, double scale) {
  return std::max(1, static_cast<int>(std::lround(points * scale)));
}

int rotationDegrees(poppler::page::orientation_enum orientation) {
  switch (orientation) {
  case poppler::page::landscape:
    return 90;
  case poppler::page::upside_down:
    return 180;
  case poppler::page::seascape:
    return 270;
  default:
    return 0;
  }
}

// A damaged or locked file is reported to the user as a failure; poppler's
// own messages about it would only clutter the terminal.
void quietPoppler() {
  static std::once_flag once;
  std::call_once(
      once, [] { poppler::set_debug_error_function([](const std::string &, void *) {}, nullptr); });
}

struct PageSize {
  double width = 0; // points, as shown (rotation applied)
  double height = 0;
  int pixelWidth = 0;
  int pixelHeight = 0;
};

// Sized from the crop box, the part of the page poppler renders and a viewer
// shows, so the rendering fills the image exactly.
std::optional<PageSize> sizeOf(const poppler::page &page, double dotsPerInch) {
  poppler::rectf box = page.page_rect(poppler::crop_box);
  double width = box.width();
  double height = box.height();
  if (rotationDegrees(page.orientation()) % 180 == 90)
    std::swap(width, height);
  if (width <= 1 || height <= 1)
    return std::nullopt;
  double scale = std::min(dotsPerInch / 72, PdfDocument::maxRenderedSide / std::max(width, height));
  return PageSize{width, height, pixels(width, scale), pixels(height, scale)};
}

} // namespace

std::optional<PdfDocument> PdfDocument::open(const std::filesystem::path &path) {
  quietPoppler();
  std::shared_ptr<poppler::document> document(poppler::document::load_from_file(path.string()));
  if (!document || document->is_locked())
    return std::nullopt;
  return PdfDocument(std::move(document));
}

int PdfDocument::pageCount() const {
  return document_->pages();
}

std::optional<std::pair<int64_t, int64_t>> PdfDocument::renderedSize(int index,
                                                                     double dotsPerInch) const {
  std::unique_ptr<poppler::page> page(document_->create_page(index));
  if (!page)
    return std::nullopt;
  const std::optional<PageSize> size = sizeOf(*page, dotsPerInch);
  if (!size)
    return std::nullopt;
  return std::pair<int64_t, int64_t>{size->pixelWidth, size->pixelHeight};
}

std::optional<GrayImage> PdfDocument::renderPage(int index, double dotsPerInch) const {
  std::unique_ptr<poppler::page> page(document_->create_page(index));
  if (!page)
    return std::nullopt;
  const std::optional<PageSize> size = sizeOf(*page, dotsPerInch);
  if (!size)
    return std::nullopt;
  const double width = size->width, height = size->height;
  const int pixelWidth = size->pixelWidth, pixelHeight = size->pixelHeight;

  poppler::page_renderer renderer;
  renderer.set_image_format(poppler::image::format_gray8);
  renderer.set_paper_color(0xFFFFFFFF);
  renderer.set_render_hint(poppler::page_renderer::antialiasing);
  renderer.set_render_hint(poppler::page_renderer::text_antialiasing);
  // Resolution chosen so the page fills exactly the pixel size computed above.
  poppler::image rendered =
      renderer.render_page(page.get(), pixelWidth * 72.0 / width, pixelHeight * 72.0 / height, 0, 0,
                           pixelWidth, pixelHeight);
  if (!rendered.is_valid() || rendered.format() != poppler::image::format_gray8)
    return std::nullopt;
  std::vector<uint8_t> gray(static_cast<size_t>(pixelWidth) * static_cast<size_t>(pixelHeight),
                            255);
  int rows = std::min(pixelHeight, rendered.height());
  int columns = std::min(pixelWidth, rendered.width());
  const char *data = rendered.const_data();
  for (int y = 0; y < rows; ++y)
    std::memcpy(gray.data() + static_cast<size_t>(y) * static_cast<size_t>(pixelWidth),
                data + static_cast<size_t>(y) * static_cast<size_t>(rendered.bytes_per_row()),
                static_cast<size_t>(columns));
  return GrayImage(pixelWidth, pixelHeight, std::move(gray));
}

} // namespace ovalon
