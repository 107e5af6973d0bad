#include "sheets/CairoCanvas.h"

#include "sheets/PangoLine.h"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon {

namespace {

void addEllipse(cairo_t *cr, Rect bounds) {
  cairo_new_path(cr);
  if (bounds.width <= 0 || bounds.height <= 0)
    return;
  cairo_save(cr);
  cairo_translate(cr, bounds.midX(), bounds.midY());
  cairo_scale(cr, bounds.width / 2, bounds.height / 2);
  cairo_arc(cr, 0, 0, 1, 0, 2 * std::numbers::pi);
  cairo_close_path(cr);
  // The path keeps the scaled shape; the stroke width stays in unscaled units.
  cairo_restore(cr);
}

void addRoundedRect(cairo_t *cr, Rect rect, double radius) {
  cairo_new_path(cr);
  double r = std::clamp(radius, 0.0, std::min(rect.width, rect.height) / 2);
  constexpr double quarter = std::numbers::pi / 2;
  cairo_new_sub_path(cr);
  cairo_arc(cr, rect.maxX() - r, rect.minY() + r, r, -quarter, 0);
  cairo_arc(cr, rect.maxX() - r, rect.maxY() - r, r, 0, quarter);
  cairo_arc(cr, rect.minX() + r, rect.maxY() - r, r, quarter, 2 * quarter);
  cairo_arc(cr, rect.minX() + r, rect.minY() + r, r, 2 * quarter, 3 * quarter);
  cairo_close_path(cr);
}

} // namespace

CairoCanvas::CairoCanvas(_cairo *cr, double height) : cr_(cairo_reference(cr)) {
  // PDF's own coordinates: origin at the bottom-left, y upward.
  cairo_translate(cr_, 0, height);
  cairo_scale(cr_, 1, -1);
  cairo_set_line_width(cr_, 1);
  cairo_set_fill_rule(cr_, CAIRO_FILL_RULE_WINDING);
}

CairoCanvas::~CairoCanvas() {
  cairo_destroy(cr_);
}

void CairoCanvas::save() {
  cairo_save(cr_);
  saved_.push_back(state_);
}

void CairoCanvas::restore() {
  if (saved_.empty())
    return;
  cairo_restore(cr_);
  state_ = saved_.back();
  saved_.pop_back();
}

void CairoCanvas::translate(double dx, double dy) {
  cairo_translate(cr_, dx, dy);
}
void CairoCanvas::scale(double sx, double sy) {
  cairo_scale(cr_, sx, sy);
}
void CairoCanvas::rotate(double radians) {
  cairo_rotate(cr_, radians);
}

void CairoCanvas::setFillGray(double gray, double alpha) {
  state_.fill = {gray, alpha};
}
void CairoCanvas::setStrokeGray(double gray, double alpha) {
  state_.stroke = {gray, alpha};
}
void CairoCanvas::setLineWidth(double width) {
  cairo_set_line_width(cr_, width);
}

void CairoCanvas::setLineCap(LineCap cap) {
  switch (cap) {
  case LineCap::butt:
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_BUTT);
    break;
  case LineCap::round:
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_ROUND);
    break;
  case LineCap::square:
    cairo_set_line_cap(cr_, CAIRO_LINE_CAP_SQUARE);
    break;
  }
}

void CairoCanvas::setLineDash(const std::vector<double> &lengths, double phase) {
  cairo_set_dash(cr_, lengths.data(), static_cast<int>(lengths.size()), phase);
}

void CairoCanvas::fillCurrentPath() {
  cairo_set_source_rgba(cr_, state_.fill.gray, state_.fill.gray, state_.fill.gray,
                        state_.fill.alpha);
  cairo_fill(cr_);
}

void CairoCanvas::strokeCurrentPath() {
  cairo_set_source_rgba(cr_, state_.stroke.gray, state_.stroke.gray, state_.stroke.gray,
                        state_.stroke.alpha);
  cairo_stroke(cr_);
}

void CairoCanvas::fillRect(Rect rect) {
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  fillCurrentPath();
}

void CairoCanvas::strokeRect(Rect rect) {
  cairo_new_path(cr_);
  cairo_rectangle(cr_, rect.x, rect.y, rect.width, rect.height);
  strokeCurrentPath();
}

void CairoCanvas::fillEllipse(Rect bounds) {
  addEllipse(cr_, bounds);
  fillCurrentPath();
}

void CairoCanvas::strokeEllipse(Rect bounds) {
  addEllipse(cr_, bounds);
  strokeCurrentPath();
}

void CairoCanvas::clipToEllipse(Rect bounds) {
  addEllipse(cr_, bounds);
  cairo_clip(cr_);
}

void CairoCanvas::fillRoundedRect(Rect rect, double radius) {
  addRoundedRect(cr_, rect, radius);
  fillCurrentPath();
}

void CairoCanvas::strokeRoundedRect(Rect rect, double radius) {
  addRoundedRect(cr_, rect, radius);
  strokeCurrentPath();
}

void CairoCanvas::moveTo(Point point) {
  cairo_move_to(cr_, point.x, point.y);
}
void CairoCanvas::lineTo(Point point) {
  cairo_line_to(cr_, point.x, point.y);
}
void CairoCanvas::closePath() {
  cairo_close_path(cr_);
}
void CairoCanvas::strokePath() {
  strokeCurrentPath();
}
void CairoCanvas::fillPath() {
  fillCurrentPath();
}

void CairoCanvas::drawText(const TextLine &line, Point origin) {
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_set_source_rgb(cr_, line.gray, line.gray, line.gray);
  PangoLine(line.text, line.font).draw(cr_, origin);
  cairo_restore(cr_);
}

namespace {

cairo_surface_t *graySurface(const GrayBitmap &image) {
  cairo_surface_t *surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, image.width, image.height);
  cairo_surface_flush(surface);
  unsigned char *data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < image.height; ++y) {
    auto *row = reinterpret_cast<uint32_t *>(data + static_cast<std::ptrdiff_t>(y) * stride);
    for (int x = 0; x < image.width; ++x) {
      uint32_t v = image.at(x, y);
      row[x] = 0xFF000000u | v << 16 | v << 8 | v;
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

} // namespace

void CairoCanvas::paintSurface(cairo_surface_t *surface, int width, int height, Rect rect,
                               Interpolation interpolation) {
  cairo_new_path(cr_);
  cairo_save(cr_);
  cairo_translate(cr_, rect.x, rect.y);
  cairo_scale(cr_, rect.width / width, rect.height / height);
  cairo_set_source_surface(cr_, surface, 0, 0);
  if (interpolation == Interpolation::none) {
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_NEAREST);
  } else {
    cairo_pattern_set_filter(cairo_get_source(cr_), CAIRO_FILTER_GOOD);
    // Padded, so smoothing does not fade the edges toward transparent.
    cairo_pattern_set_extend(cairo_get_source(cr_), CAIRO_EXTEND_PAD);
  }
  cairo_rectangle(cr_, 0, 0, width, height);
  cairo_fill(cr_);
  cairo_restore(cr_);
}

void CairoCanvas::drawImage(const GrayBitmap &image, Rect rect, Interpolation interpolation) {
  if (image.width <= 0 || image.height <= 0 || rect.width <= 0 || rect.height <= 0)
    return;
  cairo_surface_t *surface = graySurface(image);
  paintSurface(surface, image.width, image.height, rect, interpolation);
  cairo_surface_destroy(surface);
}

void CairoCanvas::drawJpegImage(const GrayBitmap &image, const Bytes &jpeg, Rect rect) {
  if (image.width <= 0 || image.height <= 0 || rect.width <= 0 || rect.height <= 0)
    return;
  cairo_surface_t *surface = graySurface(image);
  // Cairo's PDF output embeds the attached JPEG as it is; the surface keeps its own copy,
  // since the page is written out after this call returns.
  auto *bytes = new Bytes(jpeg);
  if (cairo_surface_set_mime_data(
          surface, CAIRO_MIME_TYPE_JPEG, bytes->data(), bytes->size(),
          [](void *data) { delete static_cast<Bytes *>(data); }, bytes) != CAIRO_STATUS_SUCCESS)
    delete bytes;
  paintSurface(surface, image.width, image.height, rect, Interpolation::none);
  cairo_surface_destroy(surface);
}

} // namespace ovalon
