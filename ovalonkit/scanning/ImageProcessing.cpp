#include "scanning/ImageProcessing.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <optional>

namespace ovalon::ImageProcessing {

namespace {

// A read-only OpenCV view over the image's own pixels (no copy).
cv::Mat viewOf(const GrayImage &image) {
  return cv::Mat(static_cast<int>(image.height), static_cast<int>(image.width), CV_8UC1,
                 const_cast<uint8_t *>(image.pixels.data()));
}

GrayImage imageOf(const cv::Mat &mat) {
  cv::Mat continuous = mat.isContinuous() ? mat : mat.clone();
  std::vector<uint8_t> pixels(continuous.datastart, continuous.dataend);
  return GrayImage(continuous.cols, continuous.rows, std::move(pixels));
}

// A scan is straight to within a hair, and OpenCV maps a page by a perspective twice as
// slowly as by an affine map. So the frame is filled in tiles, each by the affine map that
// matches the perspective one at the tile's centre, wherever the two stay this close over
// the tile (in page pixels); a photo's steep tiles keep the exact map.
constexpr int tileSide = 128;
constexpr double affineTolerance = 0.05;

cv::Point2d mapped(const cv::Matx33d &toPage, double x, double y) {
  const double w = toPage(2, 0) * x + toPage(2, 1) * y + toPage(2, 2);
  return {(toPage(0, 0) * x + toPage(0, 1) * y + toPage(0, 2)) / w,
          (toPage(1, 0) * x + toPage(1, 1) * y + toPage(1, 2)) / w};
}

// The perspective map's first-order expansion about the tile's centre, in the tile's own
// coordinates; absent where it strays past the tolerance at one of the tile's corners.
std::optional<cv::Matx23d> affineFor(const cv::Matx33d &toPage, const cv::Rect &tile) {
  const double cx = tile.x + 0.5 * (tile.width - 1), cy = tile.y + 0.5 * (tile.height - 1);
  const double w = toPage(2, 0) * cx + toPage(2, 1) * cy + toPage(2, 2);
  const cv::Point2d c = mapped(toPage, cx, cy);
  const double a = (toPage(0, 0) - c.x * toPage(2, 0)) / w;
  const double b = (toPage(0, 1) - c.x * toPage(2, 1)) / w;
  const double d = (toPage(1, 0) - c.y * toPage(2, 0)) / w;
  const double e = (toPage(1, 1) - c.y * toPage(2, 1)) / w;
  const cv::Matx23d affine(a, b, c.x + a * (tile.x - cx) + b * (tile.y - cy), //
                           d, e, c.y + d * (tile.x - cx) + e * (tile.y - cy));
  for (const int u : {0, tile.width - 1})
    for (const int v : {0, tile.height - 1}) {
      const cv::Point2d exact = mapped(toPage, tile.x + u, tile.y + v);
      const double x = affine(0, 0) * u + affine(0, 1) * v + affine(0, 2);
      const double y = affine(1, 0) * u + affine(1, 1) * v + affine(1, 2);
      if (!(std::hypot(exact.x - x, exact.y - y) <= affineTolerance))
        return std::nullopt;
    }
  return affine;
}

// Fills `out` with `source` seen through `toPage`, which takes each pixel of `out` to its
// place on `source`.
void warpInTiles(const cv::Mat &source, cv::Mat &out, const cv::Matx33d &toPage) {
  const int flags = cv::INTER_LINEAR | cv::WARP_INVERSE_MAP;
  const cv::Scalar white(255);
  for (int y = 0; y < out.rows; y += tileSide)
    for (int x = 0; x < out.cols; x += tileSide) {
      const cv::Rect rect(x, y, std::min(tileSide, out.cols - x), std::min(tileSide, out.rows - y));
      cv::Mat tile = out(rect);
      if (const auto affine = affineFor(toPage, rect)) {
        cv::warpAffine(source, tile, *affine, rect.size(), flags, cv::BORDER_CONSTANT, white);
      } else {
        const cv::Matx33d shifted = toPage * cv::Matx33d(1, 0, x, 0, 1, y, 0, 0, 1);
        cv::warpPerspective(source, tile, shifted, rect.size(), flags, cv::BORDER_CONSTANT, white);
      }
    }
}

} // namespace

GrayImage resizedByArea(const GrayImage &image, int64_t width, int64_t height) {
  if (image.pixels.empty())
    return GrayImage::blank(width, height, 255);
  cv::Mat out;
  cv::resize(viewOf(image), out, cv::Size(static_cast<int>(width), static_cast<int>(height)), 0, 0,
             cv::INTER_AREA);
  return imageOf(out);
}

GrayImage resizedForView(const GrayImage &image, int64_t width, int64_t height) {
  if (image.pixels.empty())
    return GrayImage::blank(width, height, 255);
  const double reduction =
      std::max(static_cast<double>(image.width) / static_cast<double>(width),
               static_cast<double>(image.height) / static_cast<double>(height));
  if (reduction <= 1)
    return resized(image, width, height);
  // About the spread of the box area averaging would take each new pixel from.
  const double sigma = 0.3 * reduction;
  cv::Mat smoothed, out;
  cv::GaussianBlur(viewOf(image), smoothed, sigma < 0.8 ? cv::Size(3, 3) : cv::Size(), sigma, sigma,
                   cv::BORDER_REPLICATE);
  cv::resize(smoothed, out, cv::Size(static_cast<int>(width), static_cast<int>(height)), 0, 0,
             cv::INTER_LINEAR);
  return imageOf(out);
}

GrayImage resized(const GrayImage &image, int64_t width, int64_t height) {
  if (image.width == width && image.height == height)
    return image;
  if (image.pixels.empty())
    return GrayImage::blank(width, height, 255);
  const bool shrinking = width * height < image.width * image.height;
  cv::Mat out;
  cv::resize(viewOf(image), out, cv::Size(static_cast<int>(width), static_cast<int>(height)), 0, 0,
             shrinking ? cv::INTER_AREA : cv::INTER_LINEAR);
  return imageOf(out);
}

GrayImage reoriented(const GrayImage &image, bool mirrorX, bool mirrorY, int clockwiseTurns) {
  const int turns = ((clockwiseTurns % 4) + 4) % 4;
  if ((!mirrorX && !mirrorY && turns == 0) || image.pixels.empty())
    return image;
  cv::Mat current = viewOf(image);
  cv::Mat mirrored;
  if (mirrorX || mirrorY) {
    cv::flip(current, mirrored, mirrorX && mirrorY ? -1 : (mirrorX ? 1 : 0));
    current = mirrored;
  }
  if (turns == 0)
    return imageOf(current);
  cv::Mat turned;
  cv::rotate(current, turned,
             turns == 1 ? cv::ROTATE_90_CLOCKWISE
                        : (turns == 2 ? cv::ROTATE_180 : cv::ROTATE_90_COUNTERCLOCKWISE));
  return imageOf(turned);
}

std::optional<GrayImage> perspectiveCorrected(const GrayImage &image,
                                              const std::array<Point, 4> &quad, int64_t width,
                                              int64_t height) {
  if (image.pixels.empty() || width < 1 || height < 1)
    return std::nullopt;
  // OpenCV puts pixel centres on whole numbers; our pixel (x, y) has its
  // centre at (x + 0.5, y + 0.5), hence the half-pixel shifts on both sides.
  std::array<cv::Point2f, 4> from;
  for (size_t i = 0; i < 4; ++i)
    from[i] = cv::Point2f(static_cast<float>(quad[i].x - 0.5), static_cast<float>(quad[i].y - 0.5));
  const float w = static_cast<float>(width), h = static_cast<float>(height);
  std::array<cv::Point2f, 4> to{cv::Point2f(-0.5f, -0.5f), cv::Point2f(w - 0.5f, -0.5f),
                                cv::Point2f(w - 0.5f, h - 0.5f), cv::Point2f(-0.5f, h - 0.5f)};
  cv::Mat toFrame;
  try {
    toFrame = cv::getPerspectiveTransform(from.data(), to.data(), cv::DECOMP_LU);
  } catch (const cv::Exception &) {
    return std::nullopt;
  }
  cv::Matx33d toPage;
  if (toFrame.empty() || !cv::checkRange(toFrame) ||
      cv::invert(toFrame, toPage, cv::DECOMP_LU) == 0 || !cv::checkRange(toPage))
    return std::nullopt;
  GrayImage out(width, height, std::vector<uint8_t>(static_cast<size_t>(width * height)));
  cv::Mat view(static_cast<int>(height), static_cast<int>(width), CV_8UC1, out.pixels.data());
  warpInTiles(viewOf(image), view, toPage);
  return out;
}

GrayImage lanczosScaled(const GrayImage &image, double factor) {
  const auto width = std::max<int64_t>(1, std::llround(static_cast<double>(image.width) * factor));
  const auto height =
      std::max<int64_t>(1, std::llround(static_cast<double>(image.height) * factor));
  if (image.pixels.empty())
    return GrayImage::blank(width, height, 255);
  cv::Mat out;
  cv::resize(viewOf(image), out, cv::Size(static_cast<int>(width), static_cast<int>(height)), 0, 0,
             cv::INTER_LANCZOS4);
  return imageOf(out);
}

GrayImage unsharpMasked(const GrayImage &image, double radius, double intensity) {
  if (image.pixels.empty() || radius <= 0)
    return image;
  cv::Mat source = viewOf(image), blurred, out;
  cv::GaussianBlur(source, blurred, cv::Size(0, 0), radius, radius, cv::BORDER_REPLICATE);
  cv::addWeighted(source, 1.0 + intensity, blurred, -intensity, 0.0, out);
  return imageOf(out);
}

} // namespace ovalon::ImageProcessing
