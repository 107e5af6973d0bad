#pragma once

#include "model/Bytes.h"
#include "sheets/Canvas.h"
#include "sheets/GrayBitmap.h"
#include "sheets/Rect.h"
#include "sheets/Size.h"

#include <functional>
#include <optional>
#include <string>

namespace ovalon::testing {

// What poppler reads back from a PDF.
struct PdfFacts {
  int pageCount = 0;
  std::string title;
  std::string creator;
  Size pageSize; // of the first page's media box
};
std::optional<PdfFacts> pdfFacts(const Bytes &pdf);

// The text poppler extracts from page `index` (0-based).
std::string pdfPageText(const Bytes &pdf, int index);

// Page `index` (0-based) rendered by poppler as 8-bit gray at `dpi`, antialiased.
std::optional<GrayBitmap> renderPdfPage(const Bytes &pdf, int index, double dpi);

// A page drawn on our own bitmap canvas at `dpi`.
GrayBitmap drawPage(Size pageSize, double dpi, const std::function<void(Canvas &)> &draw);

// Statistics of the pixels inside a rectangle given in page points (y down)
// on an image rendered at `dpi`; edges are rounded inward.
struct Region {
  int count = 0;
  int darkCount = 0; // below 128
  double mean = 255;
  uint8_t min = 255;
  uint8_t max = 0;
};
Region region(const GrayBitmap &image, Rect points, double dpi);

// The bounding box, in pixels, of the pixels darker than `threshold` inside
// the pixel rectangle; nothing when there is none.
std::optional<Rect> darkBounds(const GrayBitmap &image, Rect pixels, int threshold = 128);

} // namespace ovalon::testing
