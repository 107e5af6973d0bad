#include "scanning/RingImage.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace ovalon {

namespace {

constexpr int rayCount = 16;
// Just outside the printed stroke, clear of the neighbouring bubbles' outlines.
constexpr double outsideGap = 2.2;

struct Ray {
  double x, y;
};

const std::array<Ray, rayCount> &rays() {
  static const std::array<Ray, rayCount> table = [] {
    std::array<Ray, rayCount> out{};
    for (int i = 0; i < rayCount; ++i) {
      const double angle = 2 * std::numbers::pi * (i + 0.5) / rayCount;
      out[static_cast<size_t>(i)] = {std::cos(angle), std::sin(angle)};
    }
    return out;
  }();
  return table;
}

} // namespace

RingImage::RingImage(const GrayImage &straightened) {
  if (straightened.pixels.empty())
    return;
  const cv::Mat source(static_cast<int>(straightened.height), static_cast<int>(straightened.width),
                       CV_8UC1, const_cast<uint8_t *>(straightened.pixels.data()));
  cv::Mat half;
  cv::resize(source, half, cv::Size((source.cols + 1) / 2, (source.rows + 1) / 2), 0, 0,
             cv::INTER_AREA);
  cv::Mat dark;
  half.convertTo(dark, CV_32F, -1.0 / 255, 1.0);
  width_ = dark.cols;
  height_ = dark.rows;
  // The blur writes straight into the image's own pixels, which start uninitialised.
  pixels_ = std::make_unique_for_overwrite<float[]>(static_cast<size_t>(width_ * height_));
  cv::Mat blurred(dark.rows, dark.cols, CV_32F, pixels_.get());
  // A printed stroke is about one pixel wide here; a light blur lets a ring whose size
  // is a little off (a bent page) still be met by the rays.
  cv::GaussianBlur(dark, blurred, cv::Size(3, 3), 0.7, 0.7, cv::BORDER_REPLICATE);
}

double RingImage::darkness(Point at) const {
  // Pixel centres sit at +0.5.
  const double x = at.x - 0.5, y = at.y - 0.5;
  if (!(x > -1 && y > -1 && x < static_cast<double>(width_) && y < static_cast<double>(height_)))
    return 0.0;
  const auto x0 = static_cast<int64_t>(std::floor(x)), y0 = static_cast<int64_t>(std::floor(y));
  const double fx = x - static_cast<double>(x0), fy = y - static_cast<double>(y0);
  auto value = [&](int64_t px, int64_t py) -> double {
    px = std::clamp<int64_t>(px, 0, width_ - 1);
    py = std::clamp<int64_t>(py, 0, height_ - 1);
    return pixels_[static_cast<size_t>(py * width_ + px)];
  };
  const double top = value(x0, y0) * (1 - fx) + value(x0 + 1, y0) * fx;
  const double bottom = value(x0, y0 + 1) * (1 - fx) + value(x0 + 1, y0 + 1) * fx;
  return top * (1 - fy) + bottom * fy;
}

double RingImage::response(Point centre, double radius) const {
  double sum = 0;
  for (const Ray &ray : rays()) {
    sum += darkness({centre.x + radius * ray.x, centre.y + radius * ray.y});
    sum -= darkness(
        {centre.x + (radius + outsideGap) * ray.x, centre.y + (radius + outsideGap) * ray.y});
  }
  return sum / rayCount;
}

RingImage::Map RingImage::map(int64_t x0, int64_t y0, int64_t width, int64_t height,
                              double radius) const {
  Map out;
  out.x0 = std::max<int64_t>(0, x0);
  out.y0 = std::max<int64_t>(0, y0);
  out.width = std::max<int64_t>(0, std::min(x0 + width, width_) - out.x0);
  out.height = std::max<int64_t>(0, std::min(y0 + height, height_) - out.y0);
  out.values.assign(static_cast<size_t>(out.width * out.height), 0.0f);
  if (out.values.empty())
    return out;

  // Whole-pixel rays: each adds one shifted copy of the image, so rows vectorise. The map's
  // centre (x, y) is the corner shared by four pixels, hence the −0.5 when rounding.
  struct Tap {
    int64_t dx, dy;
    float weight;
  };
  std::vector<Tap> taps;
  for (const Ray &ray : rays()) {
    taps.push_back(
        {std::llround(radius * ray.x - 0.5), std::llround(radius * ray.y - 0.5), 1.0f / rayCount});
    taps.push_back({std::llround((radius + outsideGap) * ray.x - 0.5),
                    std::llround((radius + outsideGap) * ray.y - 0.5), -1.0f / rayCount});
  }
  for (int64_t y = 0; y < out.height; ++y) {
    float *row = out.values.data() + y * out.width;
    for (const Tap &tap : taps) {
      const int64_t sy = out.y0 + y + tap.dy;
      if (sy < 0 || sy >= height_)
        continue;
      const float *source = pixels_.get() + sy * width_;
      const int64_t from = std::max<int64_t>(0, -(out.x0 + tap.dx));
      const int64_t to = std::min<int64_t>(out.width, width_ - (out.x0 + tap.dx));
      for (int64_t x = from; x < to; ++x)
        row[x] += tap.weight * source[out.x0 + x + tap.dx];
    }
  }
  return out;
}

double RingImage::Map::at(int64_t x, int64_t y) const {
  x -= x0;
  y -= y0;
  if (x < 0 || y < 0 || x >= width || y >= height)
    return 0.0;
  return values[static_cast<size_t>(y * width + x)];
}

double RingImage::Map::at(Point centre) const {
  const double fx0 = std::floor(centre.x), fy0 = std::floor(centre.y);
  const auto x = static_cast<int64_t>(fx0), y = static_cast<int64_t>(fy0);
  const double fx = centre.x - fx0, fy = centre.y - fy0;
  return (at(x, y) * (1 - fx) + at(x + 1, y) * fx) * (1 - fy) +
         (at(x, y + 1) * (1 - fx) + at(x + 1, y + 1) * fx) * fy;
}

RingImage::Map RingImage::Map::pooled(int reach) const {
  Map out = *this;
  if (out.values.empty() || reach <= 0)
    return out;
  const cv::Mat source(static_cast<int>(height), static_cast<int>(width), CV_32F,
                       const_cast<float *>(values.data()));
  cv::Mat view(static_cast<int>(height), static_cast<int>(width), CV_32F, out.values.data());
  cv::dilate(source, view, cv::Mat::ones(2 * reach + 1, 2 * reach + 1, CV_8U));
  return out;
}

Point RingImage::Map::peak(Point near, int reach, double &strength) const {
  const auto cx = static_cast<int64_t>(std::llround(near.x));
  const auto cy = static_cast<int64_t>(std::llround(near.y));
  int64_t bestX = cx, bestY = cy;
  double best = -1e9;
  for (int64_t y = cy - reach; y <= cy + reach; ++y)
    for (int64_t x = cx - reach; x <= cx + reach; ++x) {
      const double value = at(x, y);
      if (value > best) {
        best = value;
        bestX = x;
        bestY = y;
      }
    }
  // A parabola through the neighbours places the peak between whole pixels.
  auto offset = [](double before, double centre, double after) {
    const double curvature = before - 2 * centre + after;
    return curvature < 0 ? std::clamp(0.5 * (before - after) / curvature, -0.5, 0.5) : 0.0;
  };
  strength = best;
  return {static_cast<double>(bestX) + offset(at(bestX - 1, bestY), best, at(bestX + 1, bestY)),
          static_cast<double>(bestY) + offset(at(bestX, bestY - 1), best, at(bestX, bestY + 1))};
}

} // namespace ovalon
