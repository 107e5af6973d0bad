#pragma once

#include "sheets/GrayBitmap.h"
#include "sheets/QRMatrix.h"

#include <string>
#include <vector>

namespace ovalon::testing {

// The texts of every QR symbol ZXing's reader finds in the image.
std::vector<std::string> readQRCodes(const GrayBitmap &image);

// The matrix as an image: `scale` pixels per module inside a quiet zone of `quiet` modules.
GrayBitmap imageOf(const QRMatrix &matrix, int scale, int quiet = 4);

} // namespace ovalon::testing
