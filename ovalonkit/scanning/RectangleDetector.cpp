#include "scanning/RectangleDetector.h"

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon::RectangleDetector {

namespace {

double length(const cv::Point2d &a, const cv::Point2d &b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// Interior angle at b, in degrees.
double angleAt(const cv::Point2d &a, const cv::Point2d &b, const cv::Point2d &c) {
  const cv::Point2d u = a - b, v = c - b;
  const double cosine = u.dot(v) / (std::hypot(u.x, u.y) * std::hypot(v.x, v.y));
  return std::acos(std::clamp(cosine, -1.0, 1.0)) * 180.0 / std::numbers::pi;
}

// The four points in the order top-left, top-right, bottom-right, bottom-left
// (y downward): clockwise around their centre, starting nearest the origin corner.
std::array<cv::Point2d, 4> ordered(const std::vector<cv::Point> &quad) {
  cv::Point2d centre(0, 0);
  for (const auto &p : quad)
    centre += cv::Point2d(p.x, p.y) * 0.25;
  std::array<cv::Point2d, 4> points;
  for (size_t i = 0; i < 4; ++i)
    points[i] = cv::Point2d(quad[i].x, quad[i].y);
  std::sort(points.begin(), points.end(), [&](const cv::Point2d &a, const cv::Point2d &b) {
    return std::atan2(a.y - centre.y, a.x - centre.x) < std::atan2(b.y - centre.y, b.x - centre.x);
  });
  const auto first = std::min_element(points.begin(), points.end(),
                                      [](auto &a, auto &b) { return a.x + a.y < b.x + b.y; });
  std::rotate(points.begin(), first, points.end());
  return points;
}

// The smallest side, in pixels, that is looked for at half size.
constexpr double halfSizeSide = 20;

struct Candidate {
  RectangleObservation observation;
  double area = 0;
};

} // namespace

std::optional<std::vector<RectangleObservation>> detect(const GrayImage &image,
                                                        const RectangleOptions &options) {
  if (image.pixels.empty() || image.width < 3 || image.height < 3)
    return std::vector<RectangleObservation>{};
  cv::Mat gray(static_cast<int>(image.height), static_cast<int>(image.width), CV_8UC1,
               const_cast<uint8_t *>(image.pixels.data()));
  std::vector<std::vector<cv::Point>> contours;
  try {
    // Shapes this large are outlined as well at half size, for a quarter of the work, and
    // their corners still come out within a pixel.
    if (options.minimumSize * static_cast<double>(std::min(image.width, image.height)) >=
        halfSizeSide) {
      cv::Mat half;
      cv::resize(gray, half, cv::Size((gray.cols + 1) / 2, (gray.rows + 1) / 2), 0, 0,
                 cv::INTER_AREA);
      gray = half;
    }
    cv::Mat ink;
    cv::threshold(gray, ink, 0, 255, cv::THRESH_BINARY_INV | cv::THRESH_OTSU);
    // Outlines of dark regions and of the holes inside them both count.
    cv::findContours(ink, contours, cv::RETR_LIST, cv::CHAIN_APPROX_SIMPLE);
  } catch (const cv::Exception &) {
    return std::nullopt;
  }

  const double w = static_cast<double>(gray.cols), h = static_cast<double>(gray.rows);
  const double minimumSide = options.minimumSize * std::min(w, h);
  std::vector<Candidate> candidates;
  for (const auto &contour : contours) {
    const double contourArea = cv::contourArea(contour);
    if (contourArea < 4)
      continue;
    std::vector<cv::Point> quad;
    cv::approxPolyDP(contour, quad, 0.04 * cv::arcLength(contour, true), true);
    if (quad.size() != 4 || !cv::isContourConvex(quad))
      continue;
    const auto p = ordered(quad);
    const double across = (length(p[0], p[1]) + length(p[3], p[2])) / 2;
    const double down = (length(p[0], p[3]) + length(p[1], p[2])) / 2;
    const double aspect = std::min(across, down) / std::max(across, down);
    if (aspect < options.minimumAspectRatio || aspect > options.maximumAspectRatio ||
        std::max(across, down) < minimumSide)
      continue;
    bool square = true;
    for (size_t i = 0; i < 4; ++i)
      square = square && std::abs(angleAt(p[(i + 3) % 4], p[i], p[(i + 1) % 4]) - 90.0) <=
                             options.quadratureTolerance;
    if (!square)
      continue;
    const double quadArea = cv::contourArea(quad);
    const double confidence = std::min(contourArea, quadArea) / std::max(contourArea, quadArea);
    if (!(confidence >= options.minimumConfidence))
      continue;
    // Contour points run along pixel centres; the shape's edges lie half a
    // pixel outside them, hence the +0.5 into continuous coordinates.
    auto normalised = [&](const cv::Point2d &q) {
      return Point{(q.x + 0.5) / w, 1.0 - (q.y + 0.5) / h};
    };
    candidates.push_back(
        {{normalised(p[0]), normalised(p[1]), normalised(p[2]), normalised(p[3]), confidence},
         quadArea});
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const Candidate &a, const Candidate &b) {
                     if (a.observation.confidence != b.observation.confidence)
                       return a.observation.confidence > b.observation.confidence;
                     return a.area > b.area;
                   });
  std::vector<RectangleObservation> observations;
  for (const auto &candidate : candidates) {
    if (static_cast<int>(observations.size()) >= options.maximumObservations)
      break;
    observations.push_back(candidate.observation);
  }
  return observations;
}

} // namespace ovalon::RectangleDetector
