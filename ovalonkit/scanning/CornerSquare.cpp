#include "scanning/CornerSquare.h"

#include <algorithm>
#include <cmath>

namespace ovalon::CornerSquare {

namespace {

// Offsets in sheet points from the square's centre (its half side is 9).
// Inside: the centre and four points near its corners, 10.6 from the centre,
// where a round hole narrow enough to pass the outside test is already paper.
constexpr std::array<Point, 5> inside{{{0, 0}, {-7.5, -7.5}, {7.5, -7.5}, {7.5, 7.5}, {-7.5, 7.5}}};
// Outside: just beyond each edge, and the four diagonals.
constexpr std::array<Point, 8> outside{
    {{-11, 0}, {11, 0}, {0, -11}, {0, 11}, {-12, -12}, {12, -12}, {12, 12}, {-12, 12}}};
// Least gap between the palest ink and the darkest paper, in darkness (0…1).
// Darkness is a ratio of light, so a shadow over the square keeps the gap
// about in proportion; this allows paper in half light next to ink.
constexpr double leastGap = 0.25;

double darknessAt(const GrayImage &page, Point centre, const std::array<Point, 2> &steps,
                  Point offset, double radius) {
  const double x = centre.x + offset.x * steps[0].x + offset.y * steps[1].x;
  const double y = centre.y + offset.x * steps[0].y + offset.y * steps[1].y;
  if (x < 0 || y < 0 || x >= static_cast<double>(page.width) ||
      y >= static_cast<double>(page.height))
    return -1;
  return page.darkness(x, y, radius);
}

} // namespace

bool fits(const GrayImage &page, Point centre, const std::array<Point, 2> &steps) {
  const double scale = std::sqrt(std::abs(steps[0].x * steps[1].y - steps[0].y * steps[1].x));
  // A small disc per sample evens out noise; at least the nearest pixel centre.
  const double radius = std::max(0.75, 1.2 * scale);
  double palestInk = 1;
  for (const Point offset : inside) {
    const double d = darknessAt(page, centre, steps, offset, radius);
    if (d < 0)
      return false;
    palestInk = std::min(palestInk, d);
  }
  // A page cropped close to its squares (a PDF's crop box, a tight photo)
  // leaves some outside points beyond the image: they tell nothing, so the
  // square is judged on the paper that is there, as long as most of it is.
  double darkestPaper = 0;
  size_t paperSeen = 0;
  for (const Point offset : outside) {
    const double d = darknessAt(page, centre, steps, offset, radius);
    if (d < 0)
      continue;
    ++paperSeen;
    darkestPaper = std::max(darkestPaper, d);
  }
  return paperSeen >= outside.size() / 2 && palestInk - darkestPaper >= leastGap;
}

} // namespace ovalon::CornerSquare
