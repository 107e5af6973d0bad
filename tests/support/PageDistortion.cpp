#include "support/PageDistortion.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace ovalon::testing {

// Homography between continuous coordinates (pixel centres at +0.5).
static cv::Mat homographyBetween(const std::array<Point, 4> &from, const std::array<Point, 4> &to) {
  std::array<cv::Point2f, 4> a, b;
  for (size_t i = 0; i < 4; ++i) {
    a[i] = cv::Point2f(static_cast<float>(from[i].x), static_cast<float>(from[i].y));
    b[i] = cv::Point2f(static_cast<float>(to[i].x), static_cast<float>(to[i].y));
  }
  return cv::getPerspectiveTransform(a.data(), b.data(), cv::DECOMP_LU);
}

Point DistortedPage::map(Point p) const {
  const auto &h = homography;
  const double w = h[6] * p.x + h[7] * p.y + h[8];
  return {(h[0] * p.x + h[1] * p.y + h[2]) / w, (h[3] * p.x + h[4] * p.y + h[5]) / w};
}

GrayImage projected(const GrayImage &source, const std::array<Point, 4> &corners, int64_t width,
                    int64_t height) {
  const double w = static_cast<double>(source.width), h = static_cast<double>(source.height);
  // OpenCV's pixel centres sit on integers, ours at +0.5.
  const cv::Mat shiftIn = (cv::Mat_<double>(3, 3) << 1, 0, 0.5, 0, 1, 0.5, 0, 0, 1);
  const cv::Mat shiftOut = (cv::Mat_<double>(3, 3) << 1, 0, -0.5, 0, 1, -0.5, 0, 0, 1);
  const cv::Mat view(static_cast<int>(source.height), static_cast<int>(source.width), CV_8UC1,
                     const_cast<uint8_t *>(source.pixels.data()));
  cv::Mat out;
  cv::warpPerspective(view, out,
                      shiftOut * homographyBetween({{{0, 0}, {w, 0}, {w, h}, {0, h}}}, corners) *
                          shiftIn,
                      cv::Size(static_cast<int>(width), static_cast<int>(height)), cv::INTER_LINEAR,
                      cv::BORDER_CONSTANT, cv::Scalar(255));
  return GrayImage(out.cols, out.rows, std::vector<uint8_t>(out.datastart, out.dataend));
}

DistortedPage distort(const GrayImage &page, const PageDistortion &d) {
  const double w = static_cast<double>(page.width), h = static_cast<double>(page.height);
  // Keystone and skew in source space, then scale and rotate about the centre.
  std::array<Point, 4> corners{{{w * d.keystone / 2 + d.skew * h, 0},
                                {w - w * d.keystone / 2 + d.skew * h, 0},
                                {w + w * d.keystone / 2, h},
                                {-w * d.keystone / 2, h}}};
  const double angle = d.rotationDegrees * std::numbers::pi / 180.0;
  const double c = std::cos(angle), s = std::sin(angle);
  for (auto &p : corners) {
    const double x = (p.x - w / 2) * d.scale, y = (p.y - h / 2) * d.scale;
    p = {x * c - y * s, x * s + y * c};
  }
  double minX = corners[0].x, minY = corners[0].y, maxX = minX, maxY = minY;
  for (const auto &p : corners) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
  }
  for (auto &p : corners)
    p = {p.x - minX + d.margin, p.y - minY + d.margin};
  const auto outW = static_cast<int64_t>(std::ceil(maxX - minX + 2 * d.margin));
  const auto outH = static_cast<int64_t>(std::ceil(maxY - minY + 2 * d.margin));

  DistortedPage result;
  cv::Mat homography = homographyBetween({{{0, 0}, {w, 0}, {w, h}, {0, h}}}, corners);
  for (int i = 0; i < 9; ++i)
    result.homography[static_cast<size_t>(i)] = homography.at<double>(i / 3, i % 3);
  result.image = projected(page, corners, outW, outH);

  if (d.noise > 0) {
    std::mt19937_64 random(d.seed);
    std::normal_distribution<double> gauss(0.0, d.noise);
    for (auto &p : result.image.pixels)
      p = static_cast<uint8_t>(std::clamp(std::lround(p + gauss(random)), 0L, 255L));
  }
  if (d.jpegQuality > 0) {
    auto jpeg = result.image.jpegData(d.jpegQuality / 100.0);
    result.image = *GrayImage::fromImageData(*jpeg);
  }
  return result;
}

} // namespace ovalon::testing
