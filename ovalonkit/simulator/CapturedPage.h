#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"

#include <optional>

namespace ovalon {

// One captured page: the picture the copier or camera made, and the JPEG file it stored when
// it stores JPEG (a phone always does; a copier when asked to).
struct CapturedPage {
  GrayImage image;
  std::optional<Bytes> jpeg; // encodes `image`
  double dpi = 200;          // pixels per inch of the page as stored in a PDF

  bool operator==(const CapturedPage &) const = default;
};

} // namespace ovalon
