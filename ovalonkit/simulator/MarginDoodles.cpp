#include "simulator/MarginDoodles.h"

#include "model/SplitMix64.h"
#include "simulator/PaperShape.h"
#include "simulator/PrintedAreas.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon::MarginDoodles {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double nook = 25; // points from the paper's corner to just short of a corner square
constexpr int shapes = 8;
constexpr double clearance = 4; // points between a doodle and anything printed that is read

double between(SplitMix64 &random, double low, double high) {
  return low + (high - low) * random.nextUnit();
}

// The free margins of a page: left and right of the answer columns, below them, and along
// the top edge short of the identity symbol.
std::vector<Rect> zones(const SheetLayout &layout, int page) {
  const Size paper = layout.pageSize;
  double left = paper.width, right = 0, bottom = 0;
  for (int position : layout.positions(page)) {
    const Rect row = layout.rowRect(position);
    left = std::min(left, row.minX());
    right = std::max(right, row.maxX());
    bottom = std::max(bottom, row.maxY());
  }
  const double belowVersion = layout.versionRect().maxY() + 6;
  return {
      {5, 60, left - 9, paper.height - 120},
      {right + 4, belowVersion, paper.width - 9 - right, paper.height - 60 - belowVersion},
      {55, bottom + 8, paper.width - 110, paper.height - 14 - bottom},
      {55, 5, layout.codeRect().minX() - 65, 47},
  };
}

void polyline(Canvas &canvas, const std::vector<Point> &points, bool closed = false) {
  canvas.moveTo(points.front());
  for (size_t i = 1; i < points.size(); ++i)
    canvas.lineTo(points[i]);
  if (closed)
    canvas.closePath();
  canvas.strokePath();
}

// One doodle of the given shape inside `box`.
void doodle(Canvas &canvas, int shape, const Rect &box, SplitMix64 &random) {
  const Point c = box.center();
  const double r = std::min(box.width, box.height) / 2;
  std::vector<Point> points;
  switch (shape) {
  case 0: // spiral
    for (double a = 0; a < 6 * pi; a += 0.25)
      points.push_back(
          {c.x + r * a / (6 * pi) * std::cos(a), c.y + r * a / (6 * pi) * std::sin(a)});
    polyline(canvas, points);
    break;
  case 1: // star
    for (int i = 0; i < 10; ++i) {
      const double a = -pi / 2 + i * pi / 5, reach = i % 2 == 0 ? r : 0.42 * r;
      points.push_back({c.x + reach * std::cos(a), c.y + reach * std::sin(a)});
    }
    polyline(canvas, points, true);
    break;
  case 2: // zigzag
    for (int i = 0; i <= 8; ++i)
      points.push_back({box.minX() + box.width * i / 8, i % 2 == 0 ? box.minY() : box.maxY()});
    polyline(canvas, points);
    break;
  case 3: { // cube
    const double s = 1.3 * r, d = 0.45 * r;
    const Rect front{c.x - r, c.y - r + d, s, s};
    const Rect back{front.x + d, front.y - d, s, s};
    canvas.strokeRect(front);
    canvas.strokeRect(back);
    for (const Point corner :
         {Point{front.minX(), front.minY()}, Point{front.maxX(), front.minY()},
          Point{front.maxX(), front.maxY()}, Point{front.minX(), front.maxY()}})
      polyline(canvas, {corner, {corner.x + d, corner.y - d}});
    break;
  }
  case 4: // scribble
    for (int i = 0; i < 14; ++i)
      points.push_back(
          {between(random, box.minX(), box.maxX()), between(random, box.minY(), box.maxY())});
    polyline(canvas, points);
    break;
  case 5: // a box shaded in
    canvas.strokeRect(box);
    for (double t = 0; t < box.width + box.height; t += 1.6) {
      const Point from{box.minX() + std::min(t, box.width),
                       box.minY() + std::max(0.0, t - box.width)};
      const Point to{box.minX() + std::max(0.0, t - box.height),
                     box.minY() + std::min(t, box.height)};
      polyline(canvas, {from, to});
    }
    break;
  case 6: // flower
    canvas.strokeEllipse({c.x - 0.25 * r, c.y - 0.25 * r, 0.5 * r, 0.5 * r});
    for (int i = 0; i < 6; ++i) {
      const double a = i * pi / 3;
      const Point p{c.x + 0.62 * r * std::cos(a), c.y + 0.62 * r * std::sin(a)};
      canvas.strokeEllipse({p.x - 0.36 * r, p.y - 0.36 * r, 0.72 * r, 0.72 * r});
    }
    break;
  default: // smiley
    canvas.strokeEllipse({c.x - r, c.y - r, 2 * r, 2 * r});
    canvas.fillEllipse({c.x - 0.4 * r, c.y - 0.35 * r, 0.18 * r, 0.22 * r});
    canvas.fillEllipse({c.x + 0.22 * r, c.y - 0.35 * r, 0.18 * r, 0.22 * r});
    for (double a = 0.2 * pi; a <= 0.8 * pi; a += 0.1 * pi)
      points.push_back({c.x + 0.55 * r * std::cos(a), c.y + 0.55 * r * std::sin(a)});
    polyline(canvas, points);
    break;
  }
}

// A dark patch by one of the paper's corners, up to the size of a corner square: a small box
// coloured in, or a tight scribble.
void cornerMark(Canvas &canvas, const Size &paper, SplitMix64 &random) {
  const int corner = static_cast<int>(random.next() % 4);
  const double size = between(random, 8, 18);
  // In the nook between the corner square and the paper's corner, or along the edge past it.
  const bool alongEdge = random.next() % 3 == 0;
  double x = between(random, 2, nook - size);
  double y = alongEdge ? between(random, 50, 76 - size) : between(random, 2, nook - size);
  if (corner == 1 || corner == 2)
    x = paper.width - x - size;
  if (corner >= 2)
    y = paper.height - y - size;
  const double gray = between(random, 0.1, 0.3);
  canvas.setFillGray(gray, 0.92);
  if (random.next() % 2 == 0) {
    canvas.fillRoundedRect({x, y, size, size * between(random, 0.8, 1)}, 1.5);
    return;
  }
  for (int i = 0; i < 6; ++i) {
    const double w = size * between(random, 0.5, 1), h = size * between(random, 0.5, 1);
    canvas.fillEllipse({x + between(random, 0, size - w), y + between(random, 0, size - h), w, h});
  }
}

} // namespace

void draw(Canvas &canvas, const SheetLayout &layout, int page, const MarginMarks &marks) {
  SplitMix64 random{marks.seed * 131 + static_cast<uint64_t>(page)};
  std::vector<Rect> avoid;
  for (const Rect &area : PrintedAreas::onPage(layout, page))
    avoid.push_back(PrintedAreas::grown(area, clearance));
  // The identity symbol reads only with a quiet zone of four modules around it.
  avoid.push_back(PrintedAreas::grown(layout.codeRect(), 11));
  const double holeReach = marks.holeDiameter / 2 + 3;
  for (const Point hole : PaperShape::holes(marks, layout.pageSize))
    avoid.push_back({hole.x - holeReach, hole.y - holeReach, 2 * holeReach, 2 * holeReach});
  std::vector<Rect> free = zones(layout, page);
  std::erase_if(free, [](const Rect &zone) { return zone.width < 14 || zone.height < 14; });

  canvas.save();
  canvas.setLineCap(Canvas::LineCap::round);
  for (int i = 0; i < marks.doodles && !free.empty(); ++i) {
    const double gray = between(random, 0.25, 0.45);
    canvas.setStrokeGray(gray, 0.9);
    canvas.setFillGray(gray, 0.9);
    canvas.setLineWidth(between(random, 0.6, 1.1));
    const int shape = static_cast<int>(random.next() % shapes);
    for (int attempt = 0; attempt < 30; ++attempt) {
      const Rect &zone = free[random.next() % free.size()];
      const double side = std::min({between(random, 14, 40), zone.width, zone.height});
      const Rect box{between(random, zone.minX(), zone.maxX() - side),
                     between(random, zone.minY(), zone.maxY() - side), side, side};
      if (std::ranges::any_of(avoid, [&](const Rect &a) { return PrintedAreas::overlap(a, box); }))
        continue;
      doodle(canvas, shape, box, random);
      break;
    }
  }
  for (int i = 0; i < marks.cornerMarks; ++i)
    cornerMark(canvas, layout.pageSize, random);
  canvas.restore();
}

} // namespace ovalon::MarginDoodles
