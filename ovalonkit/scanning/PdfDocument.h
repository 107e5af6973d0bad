#pragma once

#include "scanning/GrayImage.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

namespace poppler {
class document;
}

namespace ovalon {

// A scanned PDF opened for reading, its pages rendered to gray images.
// The only place that knows the PDF library.
class PdfDocument {
public:
  static constexpr double renderDotsPerInch = 200;
  static constexpr double maxRenderedSide = 4200;

  // Nothing when the file cannot be opened or is locked by a password.
  static std::optional<PdfDocument> open(const std::filesystem::path &path);

  int pageCount() const;

  // Page `index` (0-based) at `dotsPerInch`, longer side at most 4200 pixels,
  // page rotation applied: what shows of the page (its crop box, which is its
  // media box unless the file narrows it). Nothing when the page cannot be
  // fetched or rendered.
  std::optional<GrayImage> renderPage(int index, double dotsPerInch = renderDotsPerInch) const;

  // The width and height in pixels renderPage gives page `index`; nothing when
  // the page cannot be fetched or is too small to render.
  std::optional<std::pair<int64_t, int64_t>>
  renderedSize(int index, double dotsPerInch = renderDotsPerInch) const;

private:
  explicit PdfDocument(std::shared_ptr<poppler::document> document)
      : document_(std::move(document)) {}
  std::shared_ptr<poppler::document> document_;
};

} // namespace ovalon
