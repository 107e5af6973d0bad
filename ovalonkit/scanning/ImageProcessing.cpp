#include "scanning/ImageProcessing.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <cmath>

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

} // namespace

GrayImage resizedByArea(const GrayImage &image, int64_t width, int64_t height) {
  if (image.pixels.empty())
    return GrayImage::blank(width, height, 255);
  cv::Mat out;
  cv::resize(viewOf(image), out, cv::Size(static_cast<int>(width), static_cast<int>(height)), 0, 0,
             cv::INTER_AREA);
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
  cv::Mat transform;
  try {
    transform = cv::getPerspectiveTransform(from.data(), to.data(), cv::DECOMP_LU);
  } catch (const cv::Exception &) {
    return std::nullopt;
  }
  if (transform.empty() || !cv::checkRange(transform))
    return std::nullopt;
  cv::Mat out;
  cv::warpPerspective(viewOf(image), out, transform,
                      cv::Size(static_cast<int>(width), static_cast<int>(height)), cv::INTER_LINEAR,
                      cv::BORDER_CONSTANT, cv::Scalar(255));
  return imageOf(out);
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
