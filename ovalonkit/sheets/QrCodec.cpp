#include "sheets/QrCodec.h"

#include <ZXing/BarcodeFormat.h>
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <exception>
#include <string>

namespace ovalon::QrCodec {

namespace {

// ZXing's writer takes a level 0…8 and halves it (after subtracting one) into
// QR's four levels, so L, M, Q and H are 1, 3, 5 and 7.
std::optional<int> zxingLevel(char level) {
  switch (level) {
  case 'L':
    return 1;
  case 'M':
    return 3;
  case 'Q':
    return 5;
  case 'H':
    return 7;
  default:
    return std::nullopt;
  }
}

} // namespace

std::optional<GrayBitmap> generate(std::string_view text, char level) {
  std::optional<int> ecc = zxingLevel(level);
  if (!ecc)
    return std::nullopt;
  try {
    // Margin 0 and a requested size of 0 give the bare symbol at one pixel per module.
    ZXing::BitMatrix matrix = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                                  .setEccLevel(*ecc)
                                  .setMargin(0)
                                  .encode(std::string(text), 0, 0);
    if (matrix.width() <= 0 || matrix.height() <= 0)
      return std::nullopt;
    GrayBitmap image = GrayBitmap::blank(matrix.width(), matrix.height());
    for (int y = 0; y < matrix.height(); ++y)
      for (int x = 0; x < matrix.width(); ++x)
        if (matrix.get(x, y))
          image.at(x, y) = 0;
    return image;
  } catch (const std::exception &) {
    // The writer throws when the text is too long for any symbol.
    return std::nullopt;
  }
}

} // namespace ovalon::QrCodec
