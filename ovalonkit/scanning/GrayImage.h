#pragma once

#include "model/Bytes.h"
#include "sheets/Canvas.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"
#include "sheets/Size.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace ovalon {

// An 8-bit grayscale raster: 0 is black, 255 is white, rows top first.
// Invariant: pixels.size() == width × height.
struct GrayImage {
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint8_t> pixels;

  // Pixels per point of a straightened page (the sheet frame).
  static constexpr double sheetFrameScale = 2.5;
  // Longest side of a decoded image file.
  static constexpr int64_t maxDecodedSide = 4000;

  GrayImage() = default;
  // Stops the program unless pixels holds exactly width × height values.
  GrayImage(int64_t width, int64_t height, std::vector<uint8_t> pixels);

  // A width × height image (each raised to at least 1) filled with `fill`.
  static GrayImage blank(int64_t width, int64_t height, uint8_t fill);

  // What a scanned page that cannot be decoded or rendered is read as: white
  // paper, so it is reported as a page without a code rather than dropped.
  static GrayImage blankPage() { return blank(850, 1100, 255); }

  // Pixel access; an index outside the image stops the program.
  uint8_t at(int64_t x, int64_t y) const;
  void set(int64_t x, int64_t y, uint8_t value);

  // Decodes image `index` of JPEG, PNG, TIFF or HEIC bytes (the pages of a
  // TIFF are its images): orientation tag applied, transparency over white,
  // longer side capped at maxDecodedSide, however large the picture is.
  static std::optional<GrayImage> fromImageData(std::span<const uint8_t> data, int index = 0);
  // How many images the bytes hold: a TIFF's pages, else one; none for data
  // that is no image.
  static int imageCount(std::span<const uint8_t> data);
  // imageCount of a file, reading only its signature, or a TIFF's directories.
  static int imageCountOfFile(const std::filesystem::path &path);
  // The first image of a file; nothing when the file can't be read.
  static std::optional<GrayImage> fromImageFile(const std::filesystem::path &path);
  // Every image of a file, in order: each page of a multi-page TIFF. An image
  // that cannot be decoded after the first is blank paper, so the pages keep
  // their numbers; empty when the first cannot be.
  static std::vector<GrayImage> allFromImageFile(const std::filesystem::path &path);
  // A file's bytes; nothing when it can't be read.
  static std::optional<Bytes> fileBytes(const std::filesystem::path &path);

  // A drawing made in points on a canvas of `size` points at `scale` pixels
  // per point, over `fill`: the image is max(1, round(size × scale)) pixels
  // each way and the drawing is stretched to fill it exactly. The canvas
  // starts in PDF coordinates (origin bottom-left, y upward).
  static GrayImage rendered(Size size, double scale, uint8_t fill,
                            const std::function<void(Canvas &)> &draw);

  // Encoded forms; quality is 0…1. Absent when the encoder fails.
  std::optional<Bytes> jpegData(double quality) const;
  std::optional<Bytes> pngData() const;

  // The image shrunk (area averaging) so its longer side is at most maxSide;
  // unchanged when it already fits.
  GrayImage downscaled(int64_t maxSide) const;
  // The same for a picture only people look at: close to area averaging, in a quarter of
  // its time (see ImageProcessing::resizedForView).
  GrayImage downscaledForView(int64_t maxSide) const;

  // The pixels under the smallest whole-pixel rectangle containing `rect`,
  // clipped to the image; a 1 × 1 white image when nothing is left.
  GrayImage cropped(const Rect &rect) const;

  // Mean darkness (255 − v) / 255 over the pixels whose centres lie within
  // radius r of (cx, cy); 0 when there are none.
  double darkness(double cx, double cy, double r) const;

  // Maps `page` so that the four corner points (top-left, top-right,
  // bottom-right, bottom-left of the sheet) land on the corners of the sheet
  // frame of a page of `pageSize` points. Absent when the corners span too
  // little to straighten.
  static std::optional<GrayImage> straightened(const GrayImage &page,
                                               const std::array<Point, 4> &corners, Size pageSize);

  bool operator==(const GrayImage &) const = default;
};

} // namespace ovalon

template <> struct std::hash<ovalon::GrayImage> {
  size_t operator()(const ovalon::GrayImage &image) const noexcept;
};
