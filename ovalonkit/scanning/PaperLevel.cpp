#include "scanning/PaperLevel.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace ovalon {

namespace {

constexpr int sectorCount = 8;
constexpr int anglesPerSector = 6;
// Deeper than any shadow a page is read under: darker than this is pencil or print.
constexpr double inkBelow = 0.4;
// Paper this close to the lit level is taken as lit; the correction eases in over the next
// few percent so no bubble's reading jumps at the boundary.
constexpr double unchangedWithin = 0.04;
constexpr double deepestShadow = 0.6;

double percentile(std::vector<double> values, double fraction) {
  if (values.empty())
    return 255;
  const auto index = std::min(values.size() - 1,
                              static_cast<size_t>(fraction * static_cast<double>(values.size())));
  std::nth_element(values.begin(), values.begin() + static_cast<ptrdiff_t>(index), values.end());
  return values[index];
}

// How much a sector's light falls short of the lit paper, with the allowance for the
// ordinary unevenness of a flat page taken off smoothly.
double shortfall(double level, double lit) {
  const double raw = 1 - level / lit;
  if (raw <= unchangedWithin)
    return 0;
  if (raw <= 2 * unchangedWithin)
    return 2 * (raw - unchangedWithin);
  return std::min(raw, deepestShadow);
}

struct Direction {
  double cos, sin;
};

// The sampled directions, sector by sector; the same for every bubble, so worked out once
// rather than for each of a page's hundreds of bubbles.
const std::array<Direction, sectorCount * anglesPerSector> &directions() {
  static const auto table = [] {
    std::array<Direction, sectorCount * anglesPerSector> out{};
    for (int sector = 0; sector < sectorCount; ++sector)
      for (int i = 0; i < anglesPerSector; ++i) {
        const double angle =
            2 * std::numbers::pi * (sector + (i + 0.5) / anglesPerSector) / sectorCount;
        out[static_cast<size_t>(sector * anglesPerSector + i)] = {std::cos(angle), std::sin(angle)};
      }
    return out;
  }();
  return table;
}

} // namespace

double PaperAround::level() const {
  std::array<double, sectorCount> sorted = sectors;
  std::ranges::sort(sorted);
  return 0.5 * (sorted[sectorCount / 2 - 1] + sorted[sectorCount / 2]);
}

namespace PaperLevel {

PaperAround around(const GrayImage &image, double cx, double cy, double outline, double reach) {
  PaperAround paper;
  const double inner = outline + 2.5;
  const std::array<double, 2> radii{inner + 0.25 * (reach - inner), inner + 0.75 * (reach - inner)};
  std::vector<double> values;
  for (int sector = 0; sector < sectorCount; ++sector) {
    values.clear();
    for (int i = 0; i < anglesPerSector; ++i) {
      const Direction &direction = directions()[static_cast<size_t>(sector * anglesPerSector + i)];
      for (double radius : radii) {
        const auto x = static_cast<int64_t>(std::floor(cx + radius * direction.cos));
        const auto y = static_cast<int64_t>(std::floor(cy + radius * direction.sin));
        if (x >= 0 && y >= 0 && x < image.width && y < image.height)
          values.push_back(image.pixels[static_cast<size_t>(y * image.width + x)]);
      }
    }
    // Most of a sector is paper even where a mark spills over the outline.
    paper.sectors[static_cast<size_t>(sector)] = percentile(values, 0.7);
  }
  return paper;
}

double lit(std::span<const PaperAround> bubbles) {
  std::vector<double> levels;
  levels.reserve(bubbles.size());
  for (const PaperAround &paper : bubbles)
    levels.push_back(paper.level());
  return percentile(std::move(levels), 0.9);
}

double darkness(const GrayImage &image, double cx, double cy, double r, const PaperAround &paper,
                double lit) {
  if (!(lit > 0))
    return image.darkness(cx, cy, r);
  // Sectors darker than any shadow hold pencil or print, not paper: they take the level of
  // the others.
  std::vector<double> paperSectors;
  for (double level : paper.sectors)
    if (level >= inkBelow * lit)
      paperSectors.push_back(level);
  if (paperSectors.empty())
    return image.darkness(cx, cy, r);
  const double usual = percentile(paperSectors, 0.5);
  std::array<double, sectorCount> gain{};
  bool relit = false;
  for (size_t k = 0; k < gain.size(); ++k) {
    const double level = paper.sectors[k] >= inkBelow * lit ? paper.sectors[k] : usual;
    gain[k] = 1 / (1 - shortfall(level, lit));
    relit = relit || gain[k] > 1;
  }
  if (!relit)
    return image.darkness(cx, cy, r);

  // As GrayImage::darkness, each pixel first brought up to the lit paper by the sectors
  // beside it.
  const double left = std::max(0.0, std::floor(cx - r));
  const double right = std::min(static_cast<double>(image.width - 1), std::ceil(cx + r));
  const double top = std::max(0.0, std::floor(cy - r));
  const double bottom = std::min(static_cast<double>(image.height - 1), std::ceil(cy + r));
  if (left > right || top > bottom)
    return 0.0;
  const double sectorAngle = 2 * std::numbers::pi / sectorCount;
  double sum = 0;
  int64_t count = 0;
  for (auto y = static_cast<int64_t>(top); y <= static_cast<int64_t>(bottom); ++y) {
    const double dy = static_cast<double>(y) + 0.5 - cy;
    for (auto x = static_cast<int64_t>(left); x <= static_cast<int64_t>(right); ++x) {
      const double dx = static_cast<double>(x) + 0.5 - cx;
      if (dx * dx + dy * dy > r * r)
        continue;
      double angle = std::atan2(dy, dx);
      if (angle < 0)
        angle += 2 * std::numbers::pi;
      const double t = angle / sectorAngle - 0.5;
      const double k0 = std::floor(t);
      const double f = t - k0;
      const auto a = static_cast<size_t>((static_cast<int>(k0) + sectorCount) % sectorCount);
      const auto b = (a + 1) % sectorCount;
      const double g = gain[a] * (1 - f) + gain[b] * f;
      const double value =
          std::min(255.0, image.pixels[static_cast<size_t>(y * image.width + x)] * g);
      sum += 255 - value;
      ++count;
    }
  }
  return count == 0 ? 0.0 : sum / (static_cast<double>(count) * 255);
}

} // namespace PaperLevel

} // namespace ovalon
