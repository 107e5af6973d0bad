#include "scanning/CornerFinder.h"

#include "scanning/RectangleDetector.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ovalon::CornerFinder {

namespace {

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

// The image corner each search region touches.
std::array<Point, 4> targets(int64_t width, int64_t height) {
  const double w = static_cast<double>(width), h = static_cast<double>(height);
  return {{{0, 0}, {w, 0}, {w, h}, {0, h}}};
}

// The ink centroid in the box of half-side 0.75 × side around a candidate
// centre, in the crop's pixels; nothing when fewer than 4 ink pixels.
std::optional<Point> inkCentroid(const GrayImage &crop, Point centre, double side, int threshold) {
  const double reach = 0.75 * side;
  auto clampedX = [&](double v) {
    return std::clamp<int64_t>(static_cast<int64_t>(std::trunc(v)), 0, crop.width - 1);
  };
  auto clampedY = [&](double v) {
    return std::clamp<int64_t>(static_cast<int64_t>(std::trunc(v)), 0, crop.height - 1);
  };
  const int64_t x0 = clampedX(centre.x - reach), x1 = clampedX(centre.x + reach);
  const int64_t y0 = clampedY(centre.y - reach), y1 = clampedY(centre.y + reach);
  double sumX = 0, sumY = 0;
  int64_t count = 0;
  for (int64_t y = y0; y < y1; ++y)
    for (int64_t x = x0; x < x1; ++x)
      if (crop.pixels[static_cast<size_t>(y * crop.width + x)] < threshold) {
        sumX += static_cast<double>(x) + 0.5;
        sumY += static_cast<double>(y) + 0.5;
        ++count;
      }
  if (count < 4)
    return std::nullopt;
  return Point{sumX / static_cast<double>(count), sumY / static_cast<double>(count)};
}

std::optional<Point> visionCorner(double side, const GrayImage &page, int threshold,
                                  const Rect &region, Point target) {
  const GrayImage crop = page.cropped(region);
  const double cw = static_cast<double>(crop.width), ch = static_cast<double>(crop.height);
  const RectangleOptions options{.minimumAspectRatio = 0.6,
                                 .maximumAspectRatio = 1.0,
                                 .minimumSize = 0.5 * side / std::min(cw, ch),
                                 .maximumObservations = 12,
                                 .quadratureTolerance = 30,
                                 .minimumConfidence = 0.3};
  const auto observations = RectangleDetector::detect(crop, options);
  if (!observations)
    return std::nullopt;
  const Point localTarget{target.x - region.x, target.y - region.y};
  std::optional<Point> best;
  double bestDistance = 0;
  for (const auto &observation : *observations) {
    std::array<Point, 4> q{observation.topLeft, observation.topRight, observation.bottomRight,
                           observation.bottomLeft};
    for (auto &p : q)
      p = {p.x * cw, (1 - p.y) * ch};
    const Point centre{(q[0].x + q[1].x + q[2].x + q[3].x) / 4,
                       (q[0].y + q[1].y + q[2].y + q[3].y) / 4};
    const double squareSide = (distance(q[0], q[1]) + distance(q[1], q[2]) + distance(q[2], q[3]) +
                               distance(q[3], q[0])) /
                              4;
    if (squareSide < 0.7 * side || squareSide > 1.9 * side)
      continue;
    if (crop.darkness(centre.x, centre.y, 0.3 * squareSide) < 0.55)
      continue;
    const auto refined = inkCentroid(crop, centre, squareSide, threshold);
    if (!refined)
      continue;
    const double d = distance(*refined, localTarget);
    if (!best || d < bestDistance) {
      best = refined;
      bestDistance = d;
    }
  }
  if (!best)
    return std::nullopt;
  return Point{best->x + region.x, best->y + region.y};
}

std::optional<Point> blobCorner(double side, const GrayImage &page, int threshold,
                                const Rect &region, Point target) {
  const auto rx = static_cast<int64_t>(region.x), ry = static_cast<int64_t>(region.y);
  const auto rw = static_cast<int64_t>(region.width), rh = static_cast<int64_t>(region.height);
  if (rw <= 0 || rh <= 0)
    return std::nullopt;
  auto ink = [&](int64_t x, int64_t y) {
    return page.pixels[static_cast<size_t>((ry + y) * page.width + rx + x)] < threshold;
  };
  std::vector<uint8_t> visited(static_cast<size_t>(rw * rh), 0);
  std::vector<uint32_t> stack;
  std::optional<Point> best;
  double bestDistance = 0;
  const double s2 = side * side;

  for (int64_t y = 0; y < rh; ++y)
    for (int64_t x = 0; x < rw; ++x) {
      const auto seed = static_cast<uint32_t>(y * rw + x);
      if (visited[seed])
        continue;
      visited[seed] = 1;
      if (!ink(x, y))
        continue;
      int64_t area = 0, sumX = 0, sumY = 0;
      int64_t minX = x, maxX = x, minY = y, maxY = y;
      stack.assign(1, seed);
      while (!stack.empty()) {
        const uint32_t index = stack.back();
        stack.pop_back();
        const int64_t px = index % rw, py = index / rw;
        ++area;
        sumX += px;
        sumY += py;
        minX = std::min(minX, px);
        maxX = std::max(maxX, px);
        minY = std::min(minY, py);
        maxY = std::max(maxY, py);
        const std::array<std::pair<int64_t, int64_t>, 4> neighbours{
            {{px - 1, py}, {px + 1, py}, {px, py - 1}, {px, py + 1}}};
        for (const auto &[nx, ny] : neighbours) {
          if (nx < 0 || ny < 0 || nx >= rw || ny >= rh)
            continue;
          const auto n = static_cast<uint32_t>(ny * rw + nx);
          if (visited[n])
            continue;
          visited[n] = 1;
          if (ink(nx, ny))
            stack.push_back(n);
        }
      }
      const double a = static_cast<double>(area);
      const double bw = static_cast<double>(maxX - minX + 1);
      const double bh = static_cast<double>(maxY - minY + 1);
      const bool accepted = a >= 0.5 * s2 && a <= 2.4 * s2 && bw >= 0.55 * side &&
                            bw <= 1.9 * side && bh >= 0.55 * side && bh <= 1.9 * side &&
                            bw / bh >= 0.6 && bw / bh <= 1.67 && a / (bw * bh) >= 0.6;
      if (!accepted)
        continue;
      const Point centre{static_cast<double>(sumX) / a + static_cast<double>(rx) + 0.5,
                         static_cast<double>(sumY) / a + static_cast<double>(ry) + 0.5};
      const double d = distance(centre, target);
      if (!best || d < bestDistance) {
        best = centre;
        bestDistance = d;
      }
    }
  return best;
}

template <typename FindOne> std::optional<Corners> findAll(const GrayImage &page, FindOne findOne) {
  const auto regions = searchRegions(page.width, page.height);
  const auto corners = targets(page.width, page.height);
  Corners found;
  for (size_t i = 0; i < 4; ++i) {
    const auto corner = findOne(regions[i], corners[i]);
    if (!corner)
      return std::nullopt;
    found[i] = *corner;
  }
  return found;
}

} // namespace

int inkThreshold(std::span<const uint8_t> pixels) {
  const size_t n = pixels.size();
  const size_t step = n < 200'000 ? 1 : n / 200'000;
  std::array<int64_t, 256> histogram{};
  int64_t samples = 0;
  for (size_t i = 0; i < n; i += step) {
    ++histogram[pixels[i]];
    ++samples;
  }
  double total = 0;
  for (int i = 0; i < 256; ++i)
    total += static_cast<double>(i) * static_cast<double>(histogram[static_cast<size_t>(i)]);

  int best = 128;
  double bestVariance = 0;
  int64_t weightB = 0;
  double sumB = 0;
  for (int t = 0; t < 256; ++t) {
    const int64_t count = histogram[static_cast<size_t>(t)];
    weightB += count;
    sumB += static_cast<double>(t) * static_cast<double>(count);
    if (weightB == 0)
      continue;
    const int64_t weightF = samples - weightB;
    if (weightF < 1)
      break;
    const double wB = static_cast<double>(weightB), wF = static_cast<double>(weightF);
    const double between = sumB / wB - (total - sumB) / wF;
    const double variance = wB * wF * between * between;
    if (variance > bestVariance) {
      bestVariance = variance;
      best = t;
    }
  }
  return std::clamp(best, 70, 180);
}

std::array<Rect, 4> searchRegions(int64_t width, int64_t height) {
  const double w = static_cast<double>(width), h = static_cast<double>(height);
  const double rw = std::floor(0.3 * w), rh = std::floor(0.3 * h);
  return {{{0, 0, rw, rh}, {w - rw, 0, rw, rh}, {w - rw, h - rh, rw, rh}, {0, h - rh, rw, rh}}};
}

double expectedSquareSide(int64_t width, int64_t height, double paperHeight) {
  return static_cast<double>(std::max(width, height)) / paperHeight * 18.0;
}

std::optional<Corners> findCornersVision(double side, const GrayImage &page, int threshold) {
  return findAll(page, [&](const Rect &region, Point target) {
    return visionCorner(side, page, threshold, region, target);
  });
}

std::optional<Corners> findCornersBlobs(double side, const GrayImage &page, int threshold) {
  return findAll(page, [&](const Rect &region, Point target) {
    return blobCorner(side, page, threshold, region, target);
  });
}

Corners orientCorners(const Corners &corners, std::optional<Point> symbolCentre) {
  if (!symbolCentre)
    return corners;
  size_t nearest = 0;
  for (size_t i = 1; i < 4; ++i)
    if (distance(corners[i], *symbolCentre) < distance(corners[nearest], *symbolCentre))
      nearest = i;
  // The symbol sits by the sheet's top-right corner.
  return {corners[(nearest + 3) % 4], corners[nearest], corners[(nearest + 1) % 4],
          corners[(nearest + 2) % 4]};
}

bool plausibleCorners(const Corners &c, Size paper) {
  const double top = distance(c[0], c[1]), bottom = distance(c[3], c[2]);
  const double left = distance(c[0], c[3]), right = distance(c[1], c[2]);
  const double d1 = distance(c[0], c[2]), d2 = distance(c[1], c[3]);
  const double frameAspect = (paper.width - 72) / (paper.height - 72);
  return std::min({top, bottom, left, right}) > 20 && std::abs(top / bottom - 1) < 0.1 &&
         std::abs(left / right - 1) < 0.1 &&
         std::abs(((top + bottom) / (left + right)) / frameAspect - 1) < 0.08 &&
         std::abs(d1 / d2 - 1) < 0.08;
}

} // namespace ovalon::CornerFinder
