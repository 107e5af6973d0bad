#include "scanning/GrayImage.h"

#include "scanning/ImageCodecs.h"
#include "scanning/ImageProcessing.h"
#include "sheets/BitmapCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace ovalon {

namespace {

[[noreturn]] void preconditionFailed(const char *what) {
  std::fprintf(stderr, "GrayImage: %s\n", what);
  std::abort();
}

// Rounds halves away from zero, as every pixel size in the sheet frame does.
int64_t roundedSize(double value) {
  return static_cast<int64_t>(std::llround(value));
}

double distance(const Point &a, const Point &b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

} // namespace

GrayImage::GrayImage(int64_t width, int64_t height, std::vector<uint8_t> pixels)
    : width(width), height(height), pixels(std::move(pixels)) {
  if (width < 0 || height < 0 ||
      static_cast<uint64_t>(width) * static_cast<uint64_t>(height) != this->pixels.size())
    preconditionFailed("pixel count differs from width × height");
}

GrayImage GrayImage::blank(int64_t width, int64_t height, uint8_t fill) {
  width = std::max<int64_t>(1, width);
  height = std::max<int64_t>(1, height);
  return GrayImage(width, height, std::vector<uint8_t>(static_cast<size_t>(width * height), fill));
}

uint8_t GrayImage::at(int64_t x, int64_t y) const {
  if (x < 0 || y < 0 || x >= width || y >= height)
    preconditionFailed("pixel index out of range");
  return pixels[static_cast<size_t>(y * width + x)];
}

void GrayImage::set(int64_t x, int64_t y, uint8_t value) {
  if (x < 0 || y < 0 || x >= width || y >= height)
    preconditionFailed("pixel index out of range");
  pixels[static_cast<size_t>(y * width + x)] = value;
}

std::optional<GrayImage> GrayImage::fromImageData(std::span<const uint8_t> data, int index) {
  auto decoded = ImageCodecs::decode(data, maxDecodedSide, true, index);
  if (!decoded || decoded->pixels.empty())
    return std::nullopt;
  return decoded->downscaled(maxDecodedSide);
}

int GrayImage::imageCount(std::span<const uint8_t> data) {
  return ImageCodecs::imageCount(data);
}

int GrayImage::imageCountOfFile(const std::filesystem::path &path) {
  return ImageCodecs::imageCountOfFile(path);
}

std::optional<Bytes> GrayImage::fileBytes(const std::filesystem::path &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file)
    return std::nullopt;
  Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  if (file.bad())
    return std::nullopt;
  return bytes;
}

std::optional<GrayImage> GrayImage::fromImageFile(const std::filesystem::path &path) {
  const std::optional<Bytes> bytes = fileBytes(path);
  return bytes ? fromImageData(*bytes) : std::nullopt;
}

std::vector<GrayImage> GrayImage::allFromImageFile(const std::filesystem::path &path) {
  const std::optional<Bytes> bytes = fileBytes(path);
  std::vector<GrayImage> images;
  if (!bytes)
    return images;
  const int count = imageCount(*bytes);
  for (int index = 0; index < count; ++index) {
    std::optional<GrayImage> image = fromImageData(*bytes, index);
    if (!image && index == 0)
      return images;
    images.push_back(std::move(image).value_or(blankPage()));
  }
  return images;
}

GrayImage GrayImage::rendered(Size size, double scale, uint8_t fill,
                              const std::function<void(Canvas &)> &draw) {
  const int64_t w = std::max<int64_t>(1, roundedSize(size.width * scale));
  const int64_t h = std::max<int64_t>(1, roundedSize(size.height * scale));
  if (!(size.width > 0) || !(size.height > 0) || !(scale > 0) || !std::isfinite(scale))
    return blank(w, h, fill);
  // A canvas of exactly w × h pixels at `scale`, then stretched by the rounding
  // so the drawing's page fills every pixel.
  BitmapCanvas bitmap(Size{static_cast<double>(w) / scale, static_cast<double>(h) / scale}, scale);
  Canvas &canvas = bitmap.canvas();
  canvas.save();
  canvas.setFillGray(fill / 255.0);
  canvas.fillRect({0, 0, static_cast<double>(w) / scale, static_cast<double>(h) / scale});
  canvas.scale(static_cast<double>(w) / (size.width * scale),
               static_cast<double>(h) / (size.height * scale));
  draw(canvas);
  canvas.restore();
  GrayBitmap pixels = bitmap.bitmap();
  if (pixels.width != w || pixels.height != h)
    return blank(w, h, fill);
  return GrayImage(w, h, std::move(pixels.pixels));
}

std::optional<Bytes> GrayImage::jpegData(double quality) const {
  return ImageCodecs::encodeJpeg(*this, quality);
}

std::optional<Bytes> GrayImage::pngData() const {
  return ImageCodecs::encodePng(*this);
}

namespace {

// The image shrunk by `resize` so its longer side is at most maxSide; unchanged when it
// already fits.
template <typename Resize>
GrayImage shrunkToFit(const GrayImage &image, int64_t maxSide, Resize resize) {
  const int64_t longest = std::max(image.width, image.height);
  if (longest <= maxSide || maxSide < 1)
    return image;
  const double f = static_cast<double>(maxSide) / static_cast<double>(longest);
  const int64_t w = std::max<int64_t>(1, roundedSize(static_cast<double>(image.width) * f));
  const int64_t h = std::max<int64_t>(1, roundedSize(static_cast<double>(image.height) * f));
  return resize(image, w, h);
}

} // namespace

GrayImage GrayImage::downscaled(int64_t maxSide) const {
  return shrunkToFit(*this, maxSide, ImageProcessing::resizedByArea);
}

GrayImage GrayImage::downscaledForView(int64_t maxSide) const {
  return shrunkToFit(*this, maxSide, ImageProcessing::resizedForView);
}

GrayImage GrayImage::cropped(const Rect &rect) const {
  if (!std::isfinite(rect.x) || !std::isfinite(rect.y) || !std::isfinite(rect.width) ||
      !std::isfinite(rect.height))
    return blank(1, 1, 255);
  // A rectangle with a negative size covers the same area as its mirror.
  const double x = rect.width < 0 ? rect.x + rect.width : rect.x;
  const double y = rect.height < 0 ? rect.y + rect.height : rect.y;
  const double minX = std::max(0.0, std::floor(x));
  const double minY = std::max(0.0, std::floor(y));
  const double maxX = std::min(static_cast<double>(width), std::ceil(x + std::abs(rect.width)));
  const double maxY = std::min(static_cast<double>(height), std::ceil(y + std::abs(rect.height)));
  if (maxX - minX < 1 || maxY - minY < 1)
    return blank(1, 1, 255);
  const auto x0 = static_cast<int64_t>(minX), y0 = static_cast<int64_t>(minY);
  const auto w = static_cast<int64_t>(maxX) - x0, h = static_cast<int64_t>(maxY) - y0;
  std::vector<uint8_t> out;
  out.reserve(static_cast<size_t>(w * h));
  for (int64_t row = 0; row < h; ++row) {
    const auto from = pixels.begin() + (y0 + row) * width + x0;
    out.insert(out.end(), from, from + w);
  }
  return GrayImage(w, h, std::move(out));
}

double GrayImage::darkness(double cx, double cy, double r) const {
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(r) || pixels.empty())
    return 0.0;
  // Box bounds clamped in floating point first, so far-off circles cannot overflow.
  const double left = std::max(0.0, std::floor(cx - r));
  const double right = std::min(static_cast<double>(width - 1), std::ceil(cx + r));
  const double top = std::max(0.0, std::floor(cy - r));
  const double bottom = std::min(static_cast<double>(height - 1), std::ceil(cy + r));
  if (left > right || top > bottom)
    return 0.0;
  const auto x0 = static_cast<int64_t>(left), x1 = static_cast<int64_t>(right);
  const auto y0 = static_cast<int64_t>(top), y1 = static_cast<int64_t>(bottom);
  const double r2 = r * r;
  int64_t sum = 0, count = 0;
  for (int64_t y = y0; y <= y1; ++y) {
    const double dy = static_cast<double>(y) + 0.5 - cy;
    const uint8_t *row = pixels.data() + y * width;
    for (int64_t x = x0; x <= x1; ++x) {
      const double dx = static_cast<double>(x) + 0.5 - cx;
      if (dx * dx + dy * dy <= r2) {
        sum += 255 - row[x];
        ++count;
      }
    }
  }
  if (count == 0)
    return 0.0;
  return static_cast<double>(sum) / (static_cast<double>(count) * 255.0);
}

std::optional<GrayImage>
GrayImage::straightened(const GrayImage &page, const std::array<Point, 4> &corners, Size pageSize) {
  // The corrected quadrilateral's own extent (its longer opposite edges)
  // must be more than a sliver before it is stretched to the frame.
  const double extentWidth =
      std::max(distance(corners[0], corners[1]), distance(corners[3], corners[2]));
  const double extentHeight =
      std::max(distance(corners[0], corners[3]), distance(corners[1], corners[2]));
  if (!std::isfinite(extentWidth) || !std::isfinite(extentHeight) || extentWidth <= 10 ||
      extentHeight <= 10)
    return std::nullopt;
  // The corner centres sit 36 pt in from every edge.
  const int64_t w = roundedSize((pageSize.width - 72.0) * sheetFrameScale);
  const int64_t h = roundedSize((pageSize.height - 72.0) * sheetFrameScale);
  if (w < 1 || h < 1)
    return std::nullopt;
  return ImageProcessing::perspectiveCorrected(page, corners, w, h);
}

} // namespace ovalon

size_t std::hash<ovalon::GrayImage>::operator()(const ovalon::GrayImage &image) const noexcept {
  // FNV-1a over the size and the pixels.
  uint64_t h = 1469598103934665603ull;
  auto mix = [&h](uint64_t value) {
    h ^= value;
    h *= 1099511628211ull;
  };
  mix(static_cast<uint64_t>(image.width));
  mix(static_cast<uint64_t>(image.height));
  for (uint8_t p : image.pixels)
    mix(p);
  return static_cast<size_t>(h);
}
