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
