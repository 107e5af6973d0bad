#include "sheets/QRMatrix.h"

#include "sheets/GrayBitmap.h"
#include "sheets/QrCodec.h"

#include <algorithm>

namespace ovalon {

std::optional<QRMatrix> QRMatrix::make(std::string_view text) {
  std::optional<GrayBitmap> symbol = QrCodec::generate(text, 'Q');
  if (!symbol)
    return std::nullopt;

  // The symbol's width serves for both sides of a white square canvas, so a
  // generator image that is not square is cut or padded rather than trusted.
  const int w = symbol->width;
  GrayBitmap square = GrayBitmap::blank(w, w);
  for (int y = 0; y < std::min(w, symbol->height); ++y)
    for (int x = 0; x < w; ++x)
      square.at(x, y) = symbol->at(x, y);

  // Whatever quiet zone the generator added is cut off at the dark pixels' bounding box.
  int left = w, top = w, right = -1, bottom = -1;
  for (int y = 0; y < w; ++y)
    for (int x = 0; x < w; ++x)
      if (square.at(x, y) < 128) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (right < 0)
    return std::nullopt;
  const int side = right - left + 1;
  if (bottom - top + 1 != side)
    return std::nullopt;

  QRMatrix matrix{side, std::vector<bool>(static_cast<std::size_t>(side) * side)};
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c)
      matrix.cells[static_cast<std::size_t>(r) * side + c] = square.at(left + c, top + r) < 128;
  return matrix;
}

} // namespace ovalon
