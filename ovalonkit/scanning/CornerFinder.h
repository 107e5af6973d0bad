#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"
#include "sheets/Size.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>

namespace ovalon {

// The centres of a page's four corner squares, in page-image pixels: top-left,
// top-right, bottom-right, bottom-left (of the image, or of the sheet once oriented).
using Corners = std::array<Point, 4>;

// Locating the four printed corner squares in a raw page image.
namespace CornerFinder {

// Otsu's split of a sampled histogram of the page, clamped to 70…180.
// Pixel values below it count as ink.
int inkThreshold(std::span<const uint8_t> pixels);

// The 30 % × 30 % corner regions of a W × H image: top-left, top-right,
// bottom-right, bottom-left.
std::array<Rect, 4> searchRegions(int64_t width, int64_t height);

// The side an 18 pt corner square has when the sheet's long side fills the
// image's long side.
double expectedSquareSide(int64_t width, int64_t height, double paperHeight);

// Each finder takes the expected square side s (pixels), the page and the ink
// threshold, and gives the four corners in image order, or nothing when any
// region has no acceptable square.

// Asks the rectangle detector for square-ish shapes and verifies them.
std::optional<Corners> findCornersVision(double side, const GrayImage &page, int threshold);
// Segments dark connected regions itself.
std::optional<Corners> findCornersBlobs(double side, const GrayImage &page, int threshold);

// Turns image-order corners into sheet order: the corner nearest the identity
// symbol is the sheet's top-right. Without a symbol the image order is kept.
Corners orientCorners(const Corners &corners, std::optional<Point> symbolCentre);

// Whether the corners can span a sheet of `paper` points seen nearly head-on.
bool plausibleCorners(const Corners &corners, Size paper);

} // namespace CornerFinder

} // namespace ovalon
