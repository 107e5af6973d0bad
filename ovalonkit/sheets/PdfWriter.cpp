#include "sheets/PdfWriter.h"

#include "sheets/CairoCanvas.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cmath>
#include <string>

namespace ovalon {

struct PdfWriter::Document {
  Size pageSize;
  Bytes bytes;
  cairo_surface_t *surface = nullptr;
  cairo_t *cr = nullptr;
  std::unique_ptr<CairoCanvas> canvas;
  int pages = 0;
  bool closed = false;

  ~Document() {
    canvas.reset();
    if (cr)
      cairo_destroy(cr);
    if (surface)
      cairo_surface_destroy(surface);
  }

  static cairo_status_t write(void *closure, const unsigned char *data, unsigned int length) {
    auto *bytes = static_cast<Bytes *>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
  }
};

PdfWriter::PdfWriter(std::unique_ptr<Document> document) : document_(std::move(document)) {}
PdfWriter::PdfWriter(PdfWriter &&) noexcept = default;
PdfWriter &PdfWriter::operator=(PdfWriter &&) noexcept = default;
PdfWriter::~PdfWriter() = default;

std::optional<PdfWriter> PdfWriter::open(Size pageSize, std::string_view title) {
  if (!std::isfinite(pageSize.width) || !std::isfinite(pageSize.height) || pageSize.width <= 0 ||
      pageSize.height <= 0)
    return std::nullopt;
  auto document = std::make_unique<Document>();
  document->pageSize = pageSize;
  // The stream callback writes into the document's own buffer, which the
  // unique_ptr keeps at one address however the writer moves.
  document->surface = cairo_pdf_surface_create_for_stream(&Document::write, &document->bytes,
                                                          pageSize.width, pageSize.height);
  if (cairo_surface_status(document->surface) != CAIRO_STATUS_SUCCESS)
    return std::nullopt;
  std::string titleText(title);
  cairo_pdf_surface_set_metadata(document->surface, CAIRO_PDF_METADATA_TITLE, titleText.c_str());
  cairo_pdf_surface_set_metadata(document->surface, CAIRO_PDF_METADATA_CREATOR, "Ovalon");
  if (cairo_surface_status(document->surface) != CAIRO_STATUS_SUCCESS)
    return std::nullopt;
  return PdfWriter(std::move(document));
}

std::optional<Bytes> PdfWriter::onePage(Size pageSize, std::string_view title,
                                        const std::function<void(Canvas &)> &draw) {
  std::optional<PdfWriter> writer = open(pageSize, title);
  if (!writer)
    return std::nullopt;
  draw(writer->beginPage());
  writer->endPage();
  return writer->close();
}

Size PdfWriter::pageSize() const {
  return document_->pageSize;
}

Canvas &PdfWriter::beginPage() {
  endPage();
  Document &d = *document_;
  // A fresh context per page, so no state leaks from one page into the next.
  d.cr = cairo_create(d.surface);
  d.canvas = std::make_unique<CairoCanvas>(d.cr, d.pageSize.height);
  return *d.canvas;
}

void PdfWriter::endPage() {
  Document &d = *document_;
  if (!d.cr)
    return;
  d.canvas.reset();
  cairo_show_page(d.cr);
  cairo_destroy(d.cr);
  d.cr = nullptr;
  ++d.pages;
}

int PdfWriter::pageCount() const {
  return document_->pages;
}

std::optional<Bytes> PdfWriter::close() {
  if (document_->closed)
    return std::nullopt;
  endPage();
  Document &d = *document_;
  d.closed = true;
  cairo_surface_finish(d.surface);
  if (cairo_surface_status(d.surface) != CAIRO_STATUS_SUCCESS)
    return std::nullopt;
  return std::move(d.bytes);
}

} // namespace ovalon
