#pragma once

#include "model/Bytes.h"
#include "scanning/GrayImage.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>

namespace ovalon::ImageCodecs {

// A header claiming more pixels than this is refused before anything is
// decoded: a decompression bomb, not a scan.
constexpr uint64_t maxClaimedPixels = 1'000'000'000;

// How many images the data holds: the pages of a TIFF (reduced previews left
// out), one for a JPEG, PNG or HEIC, none for data in no format decode knows.
int imageCount(std::span<const uint8_t> data);

// Whether the data is a PNG file, by its signature.
bool isPng(std::span<const uint8_t> data);

// imageCount of a file, reading only its signature, or a TIFF's directories.
int imageCountOfFile(const std::filesystem::path &path);

// Decodes image `index` of JPEG, PNG, TIFF or HEIC bytes into luminance, with
// the file's orientation applied and transparent areas read as white. A JPEG
// may be decoded at a reduced scale, but never so far that its longer side
// drops below `keepSide`; a PNG or TIFF too large to hold whole is reduced the
// same way row by row as it is decoded. Absent when the data cannot be decoded
// or claims more than maxClaimedPixels. A JPEG's orientation tag is ignored
// when `applyOrientation` is false, as PDF renderers ignore it in a JPEG
// embedded in a page.
std::optional<GrayImage> decode(std::span<const uint8_t> data, int64_t keepSide,
                                bool applyOrientation = true, int index = 0);

// quality in 0…1; absent when encoding fails.
std::optional<Bytes> encodeJpeg(const GrayImage &image, double quality);
std::optional<Bytes> encodePng(const GrayImage &image);

} // namespace ovalon::ImageCodecs
