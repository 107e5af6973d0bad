#pragma once

#include "sheets/GrayBitmap.h"

#include <optional>
#include <string_view>

namespace ovalon::QrCodec {

// A QR Code symbol (ISO/IEC 18004) for the text's bytes at error-correction
// level 'L', 'M', 'Q' or 'H', drawn at one pixel per module (dark modules 0,
// light 255). The generator picks the smallest version and its own mask.
// Nothing when the level is unknown or the text does not fit a symbol.
std::optional<GrayBitmap> generate(std::string_view text, char level);

} // namespace ovalon::QrCodec
