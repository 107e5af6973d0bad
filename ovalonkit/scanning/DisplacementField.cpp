#include "scanning/DisplacementField.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon {

namespace {

constexpr double cell = 8;                // pixels between grid nodes
constexpr double broadSigma = 100 / cell; // fills the gaps between blocks
constexpr double nearSigma = 20 / cell;   // follows the field from bubble to bubble
constexpr int nearPasses = 2;             // each pulls the field closer onto the samples
constexpr int64_t stripRows = 64;         // rows corrected at a time, to keep the maps small

// Adds `value` with unit weight at a grid position, shared among the four nearest nodes.
void splat(cv::Mat &weight, cv::Mat &sumX, cv::Mat &sumY, Point at, Point value) {
  const double gx = std::clamp(at.x / cell, 0.0, static_cast<double>(weight.cols - 1));
  const double gy = std::clamp(at.y / cell, 0.0, static_cast<double>(weight.rows - 1));
  const int x0 = std::min(static_cast<int>(gx), weight.cols - 2);
  const int y0 = std::min(static_cast<int>(gy), weight.rows - 2);
  const double fx = gx - x0, fy = gy - y0;
  const double shares[4] = {(1 - fx) * (1 - fy), fx * (1 - fy), (1 - fx) * fy, fx * fy};
  for (int k = 0; k < 4; ++k) {
    const int x = x0 + (k & 1), y = y0 + (k >> 1);
    weight.at<float>(y, x) += static_cast<float>(shares[k]);
    sumX.at<float>(y, x) += static_cast<float>(shares[k] * value.x);
    sumY.at<float>(y, x) += static_cast<float>(shares[k] * value.y);
  }
}

void blur(cv::Mat &grid, double sigma) {
  cv::GaussianBlur(grid, grid, cv::Size(0, 0), sigma, sigma, cv::BORDER_REFLECT);
}

// The weight a lone sample leaves on its own node after blurring: the scale that tells
// "near a sample" from "far from all of them".
double loneWeight(double sigma) {
  return 1 / (2 * std::numbers::pi * sigma * sigma);
}

} // namespace

DisplacementField::DisplacementField(int64_t width, int64_t height,
                                     const std::vector<Sample> &samples)
    : width_(width), height_(height),
      columns_(std::max<int64_t>(2, static_cast<int64_t>(std::ceil(width / cell)) + 1)),
      rows_(std::max<int64_t>(2, static_cast<int64_t>(std::ceil(height / cell)) + 1)),
      dx_(static_cast<size_t>(columns_ * rows_), 0.0f),
      dy_(static_cast<size_t>(columns_ * rows_), 0.0f) {
  const int cols = static_cast<int>(columns_), rows = static_cast<int>(rows_);
  cv::Mat fieldX(rows, cols, CV_32F, dx_.data()), fieldY(rows, cols, CV_32F, dy_.data());

  // Each pass spreads what is still unexplained at the samples and adds it where the
  // samples are near enough to speak for the node.
  auto pass = [&](double sigma, double floor) {
    cv::Mat weight = cv::Mat::zeros(rows, cols, CV_32F);
    cv::Mat sumX = weight.clone(), sumY = weight.clone();
    for (const Sample &sample : samples) {
      const Point now = at(sample.at);
      splat(weight, sumX, sumY, sample.at, {sample.shift.x - now.x, sample.shift.y - now.y});
    }
    blur(weight, sigma);
    blur(sumX, sigma);
    blur(sumY, sigma);
    const double settle = floor * loneWeight(sigma);
    for (int y = 0; y < rows; ++y)
      for (int x = 0; x < cols; ++x) {
        const double w = weight.at<float>(y, x) + settle;
        fieldX.at<float>(y, x) += static_cast<float>(sumX.at<float>(y, x) / w);
        fieldY.at<float>(y, x) += static_cast<float>(sumY.at<float>(y, x) / w);
      }
  };
  if (samples.empty())
    return;
  pass(broadSigma, 0.02);
  for (int i = 0; i < nearPasses; ++i)
    pass(nearSigma, 0.1);
}

Point DisplacementField::at(Point position) const {
  const double gx = std::clamp(position.x / cell, 0.0, static_cast<double>(columns_ - 1));
  const double gy = std::clamp(position.y / cell, 0.0, static_cast<double>(rows_ - 1));
  const int64_t x0 = std::min(static_cast<int64_t>(gx), columns_ - 2);
  const int64_t y0 = std::min(static_cast<int64_t>(gy), rows_ - 2);
  const double fx = gx - static_cast<double>(x0), fy = gy - static_cast<double>(y0);
  auto mix = [&](const std::vector<float> &grid) {
    auto node = [&](int64_t x, int64_t y) {
      return static_cast<double>(grid[static_cast<size_t>(y * columns_ + x)]);
    };
    return (node(x0, y0) * (1 - fx) + node(x0 + 1, y0) * fx) * (1 - fy) +
           (node(x0, y0 + 1) * (1 - fx) + node(x0 + 1, y0 + 1) * fx) * fy;
  };
  return {mix(dx_), mix(dy_)};
}

GrayImage DisplacementField::applied(const GrayImage &image) const {
  if (image.pixels.empty())
    return image;
  const cv::Mat source(static_cast<int>(image.height), static_cast<int>(image.width), CV_8UC1,
                       const_cast<uint8_t *>(image.pixels.data()));
  GrayImage out = GrayImage::blank(image.width, image.height, 255);
  std::vector<double> rowX(static_cast<size_t>(columns_)), rowY(rowX.size());
  for (int64_t top = 0; top < image.height; top += stripRows) {
    const int rows = static_cast<int>(std::min(stripRows, image.height - top));
    cv::Mat mapX(rows, static_cast<int>(image.width), CV_32F);
    cv::Mat mapY(rows, static_cast<int>(image.width), CV_32F);
    for (int y = 0; y < rows; ++y) {
      // The grid between its two node rows first, then along the row. OpenCV puts pixel
      // centres on whole numbers, we at +0.5.
      const double py = static_cast<double>(top + y);
      const double gy = std::clamp((py + 0.5) / cell, 0.0, static_cast<double>(rows_ - 1));
      const int64_t y0 = std::min(static_cast<int64_t>(gy), rows_ - 2);
      const double fy = gy - static_cast<double>(y0);
      for (int64_t k = 0; k < columns_; ++k) {
        const auto upper = static_cast<size_t>(y0 * columns_ + k);
        const auto lower = static_cast<size_t>((y0 + 1) * columns_ + k);
        rowX[static_cast<size_t>(k)] = dx_[upper] * (1 - fy) + dx_[lower] * fy;
        rowY[static_cast<size_t>(k)] = dy_[upper] * (1 - fy) + dy_[lower] * fy;
      }
      float *outX = mapX.ptr<float>(y), *outY = mapY.ptr<float>(y);
      for (int x = 0; x < mapX.cols; ++x) {
        const double gx = std::clamp((x + 0.5) / cell, 0.0, static_cast<double>(columns_ - 1));
        const auto k = static_cast<size_t>(std::min(static_cast<int64_t>(gx), columns_ - 2));
        const double fx = gx - static_cast<double>(k);
        outX[x] = static_cast<float>(x + rowX[k] * (1 - fx) + rowX[k + 1] * fx);
        outY[x] = static_cast<float>(py + rowY[k] * (1 - fx) + rowY[k + 1] * fx);
      }
    }
    cv::Mat strip(rows, static_cast<int>(image.width), CV_8UC1,
                  out.pixels.data() + top * image.width);
    cv::remap(source, strip, mapX, mapY, cv::INTER_LINEAR, cv::BORDER_CONSTANT, cv::Scalar(255));
  }
  return out;
}

} // namespace ovalon
