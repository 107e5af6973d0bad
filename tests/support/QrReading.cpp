#include "support/QrReading.h"

#include <ZXing/ReadBarcode.h>

namespace ovalon::testing {

std::vector<std::string> readQRCodes(const GrayBitmap &image) {
  ZXing::ImageView view(image.pixels.data(), image.width, image.height, ZXing::ImageFormat::Lum);
  ZXing::DecodeHints hints;
  hints.setFormats(ZXing::BarcodeFormat::QRCode);
  std::vector<std::string> texts;
  for (const ZXing::Result &result : ZXing::ReadBarcodes(view, hints))
    if (result.isValid())
      texts.push_back(result.text());
  return texts;
}

GrayBitmap imageOf(const QRMatrix &matrix, int scale, int quiet) {
  int side = (matrix.size + 2 * quiet) * scale;
  GrayBitmap image = GrayBitmap::blank(side, side);
  for (int y = 0; y < side; ++y)
    for (int x = 0; x < side; ++x)
      if (const int r = y / scale - quiet, c = x / scale - quiet;
          r >= 0 && c >= 0 && r < matrix.size && c < matrix.size && matrix.dark(r, c))
        image.at(x, y) = 0;
  return image;
}

} // namespace ovalon::testing
