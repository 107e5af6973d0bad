#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"

#include <array>
#include <cstdint>
#include <optional>

namespace ovalon::ImageProcessing {

// `image` resampled to width × height by area averaging (for shrinking).
GrayImage resizedByArea(const GrayImage &image, int64_t width, int64_t height);

// `image` shrunk to width × height for people to look at: a Gaussian matched to the
// reduction takes out what would alias, then bilinear sampling. Within a few levels of area
// averaging, which OpenCV does slowly at ratios that are not whole numbers.
GrayImage resizedForView(const GrayImage &image, int64_t width, int64_t height);

// `image` resampled to width × height: area averaging where it shrinks, bilinear where it
// grows, as a renderer draws a scanned picture onto a page.
GrayImage resized(const GrayImage &image, int64_t width, int64_t height);

// `image` mirrored (left–right, top–bottom), then turned clockwise by quarter turns.
GrayImage reoriented(const GrayImage &image, bool mirrorX, bool mirrorY, int clockwiseTurns);

// A width × height image showing the quadrilateral `quad` (top-left,
// top-right, bottom-right, bottom-left, in pixel coordinates of `image`)
// mapped projectively onto its corners; white where the source has no pixels.
// Absent when no projective mapping exists.
std::optional<GrayImage> perspectiveCorrected(const GrayImage &image,
                                              const std::array<Point, 4> &quad, int64_t width,
                                              int64_t height);

// The image enlarged `factor` times in each direction (Lanczos resampling).
GrayImage lanczosScaled(const GrayImage &image, double factor);

// Unsharp mask: image + intensity × (image − Gaussian blur of the given radius).
GrayImage unsharpMasked(const GrayImage &image, double radius, double intensity);

} // namespace ovalon::ImageProcessing
