#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"

#include <cstdint>
#include <optional>
#include <span>

namespace ovalon::ImageCodecs {

// Decodes image 0 of JPEG, PNG, TIFF or HEIC bytes into luminance, with the
// file's orientation applied and transparent areas read as white. A JPEG may
// be decoded at a reduced scale, but never so far that its longer side drops
// below `keepSide`. Absent when the data cannot be decoded. A JPEG's
// orientation tag is ignored when `applyOrientation` is false, as PDF
// renderers ignore it in a JPEG embedded in a page.
std::optional<GrayImage> decode(std::span<const uint8_t> data, int64_t keepSide,
                                bool applyOrientation = true);

// quality in 0…1; absent when encoding fails.
std::optional<Bytes> encodeJpeg(const GrayImage &image, double quality);
std::optional<Bytes> encodePng(const GrayImage &image);

} // namespace ovalon::ImageCodecs
