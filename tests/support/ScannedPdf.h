#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"
#include "sheets/Size.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ovalon::testing {

// How a simulated scanner stores each page's picture.
enum class ScanDepth {
  gray,   // one 8-bit image
  oneBit, // one 1-bit image (thresholded at mid-gray)
  mixed,  // the page as a 1-bit image plus a small 8-bit image
};

// A PDF whose pages are the given images, each stretched over a page of
// `pageSize` points, the way a scanner writes a scan.
Bytes scannedPdf(const std::vector<GrayImage> &pages, Size pageSize, ScanDepth depth);

// `jpeg` with an EXIF segment carrying `orientation` right after its start marker.
Bytes withExifOrientation(const Bytes &jpeg, uint16_t orientation);

void writeBytes(const std::filesystem::path &path, const Bytes &bytes);

} // namespace ovalon::testing
