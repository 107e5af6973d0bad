#include "support/ScannedPdf.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ovalon::testing {

namespace {

cairo_status_t append(void *closure, const unsigned char *data, unsigned int length) {
  auto *bytes = static_cast<Bytes *>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// The page as a gray image, or its ink (below mid-gray) as the set bits of a 1-bit mask.
cairo_surface_t *surfaceOf(const GrayImage &image, bool inkOnly) {
  cairo_surface_t *surface =
      cairo_image_surface_create(inkOnly ? CAIRO_FORMAT_A1 : CAIRO_FORMAT_RGB24,
                                 static_cast<int>(image.width), static_cast<int>(image.height));
  unsigned char *data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int64_t y = 0; y < image.height; ++y) {
    auto *row = reinterpret_cast<uint32_t *>(data + y * stride);
    for (int64_t x = 0; x < image.width; ++x) {
      const uint32_t v = image.at(x, y);
      if (!inkOnly)
        row[x] = 0xFF000000u | v << 16 | v << 8 | v;
      else if (v < 128)
        row[x / 32] |= 1u << (x % 32);
    }
  }
  cairo_surface_mark_dirty(surface);
  return surface;
}

} // namespace

Bytes scannedPdf(const std::vector<GrayImage> &pages, Size pageSize, ScanDepth depth) {
  Bytes bytes;
  cairo_surface_t *pdf =
      cairo_pdf_surface_create_for_stream(append, &bytes, pageSize.width, pageSize.height);
  cairo_t *cr = cairo_create(pdf);
  for (const GrayImage &page : pages) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_save(cr);
    cairo_scale(cr, pageSize.width / static_cast<double>(page.width),
                pageSize.height / static_cast<double>(page.height));
    if (depth == ScanDepth::gray) {
      cairo_surface_t *image = surfaceOf(page, false);
      cairo_set_source_surface(cr, image, 0, 0);
      cairo_paint(cr);
      cairo_surface_destroy(image);
    } else {
      cairo_surface_t *mask = surfaceOf(page, true);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_mask_surface(cr, mask, 0, 0);
      cairo_surface_destroy(mask);
    }
    cairo_restore(cr);
    if (depth == ScanDepth::mixed) {
      // A small gray stamp in the lower margin, clear of everything the reader looks at.
      cairo_surface_t *stamp = surfaceOf(GrayImage::blank(40, 10, 200), false);
      cairo_set_source_surface(cr, stamp, pageSize.width / 2, pageSize.height - 20);
      cairo_paint(cr);
      cairo_surface_destroy(stamp);
    }
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(pdf);
  const cairo_status_t status = cairo_surface_status(pdf);
  cairo_surface_destroy(pdf);
  if (status != CAIRO_STATUS_SUCCESS)
    throw std::runtime_error("cairo could not write the scanned PDF");
  return bytes;
}

Bytes withExifOrientation(const Bytes &jpeg, uint16_t orientation) {
  const uint8_t exif[] = {0xFF, 0xE1, 0x00, 0x22, 'E', 'x', 'i', 'f', 0, 0,
                          // TIFF header, big-endian, IFD at offset 8
                          'M', 'M', 0, 42, 0, 0, 0, 8,
                          // one entry: tag 0x0112, SHORT, count 1, value
                          0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1,
                          static_cast<uint8_t>(orientation >> 8), static_cast<uint8_t>(orientation),
                          0, 0,
                          // no next IFD
                          0, 0, 0, 0};
  Bytes out(jpeg.begin(), jpeg.begin() + 2);
  out.insert(out.end(), std::begin(exif), std::end(exif));
  out.insert(out.end(), jpeg.begin() + 2, jpeg.end());
  return out;
}

void writeBytes(const std::filesystem::path &path, const Bytes &bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char *>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out)
    throw std::runtime_error("could not write " + path.string());
}

} // namespace ovalon::testing
