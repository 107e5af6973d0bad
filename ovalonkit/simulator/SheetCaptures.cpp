// How each sheet of a class is captured under a condition: every parameter drawn from the
// condition's ranges with a generator seeded by the condition and the sheet.

#include "simulator/CaptureConditions.h"
#include "simulator/ClassSimulator.h"
#include "simulator/PhotoCamera.h"
#include "simulator/PrintedAreas.h"

#include "model/SplitMix64.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon::CaptureConditions {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double photoSkew = 0.07;     // most perspective between opposite edges of the page
constexpr double tearWander = 1.2;     // points a tear strays from its line either way
constexpr double squareClearance = 2;  // points the tear leaves beyond the corner square
constexpr double printClearance = 2.5; // and short of anything else a reader looks at

double between(SplitMix64 &random, double low, double high) {
  return low + (high - low) * random.nextUnit();
}

double from(SplitMix64 &random, const ValueRange &range) {
  return range.at(random.nextUnit());
}

// A point of the page in distances from one of its corners' two edges, and back.
Point local(Point p, int corner, Size page) {
  return {corner == 1 || corner == 2 ? page.width - p.x : p.x,
          corner >= 2 ? page.height - p.y : p.y};
}

// How far inside the lost triangle, toward the corner, a point in corner distances lies.
double inside(Point p, double a, double b) {
  return (1 - p.x / a - p.y / b) * a * b / std::hypot(a, b);
}

// Whether a rectangle, in corner distances, reaches within `clearance` of the lost triangle.
bool nearLoss(const Rect &area, double a, double b, double clearance) {
  const Point nearest{std::max(0.0, area.minX()), std::max(0.0, area.minY())};
  return inside(nearest, a, b) > -clearance;
}

// Whether a rectangle, in corner distances, comes within `clearance` of a flap folded over
// along the line (a, 0)–(0, b): the flap covers the corner's triangle mirrored across it.
bool nearFlap(const Rect &area, double a, double b, double clearance) {
  const double length = std::hypot(a, b);
  const Point mirrored{2 * a * b * b / (length * length), 2 * a * a * b / (length * length)};
  const Rect reach{0, 0, std::max(a, mirrored.x) + clearance, std::max(b, mirrored.y) + clearance};
  if (!PrintedAreas::overlap(reach, area))
    return false;
  const Rect wide = PrintedAreas::grown(area, clearance);
  for (double y = wide.minY(); y <= wide.maxY(); y += 1.5)
    for (double x = wide.minX(); x <= wide.maxX(); x += 1.5) {
      const double d = inside({x, y}, a, b);
      if (d >= 0)
        continue;
      const double mx = x + 2 * d * b / length, my = y + 2 * d * a / length;
      if (mx >= 0 && my >= 0)
        return true;
    }
  return false;
}

// One corner torn off or folded over, the whole corner square lost with it and everything
// else a reader looks at left whole.
CornerDamage damagedCorner(SplitMix64 &random, const SheetLayout &layout, int pageCount) {
  CornerDamage damage;
  damage.corner = static_cast<int>(random.next() % 4);
  damage.kind = random.next() % 2 == 0 ? CornerDamage::Kind::torn : CornerDamage::Kind::foldedOver;
  damage.seed = random.next();
  const Size page = layout.pageSize;
  const Rect square = layout.cornerRect(damage.corner);
  auto inCorner = [&](const Rect &r) {
    const Point a = local({r.minX(), r.minY()}, damage.corner, page);
    const Point b = local({r.maxX(), r.maxY()}, damage.corner, page);
    return Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::abs(a.x - b.x), std::abs(a.y - b.y)};
  };
  const Rect lostSquare = inCorner(square);
  std::vector<Rect> keep;
  for (const Rect &area : PrintedAreas::onAnyPage(layout, pageCount))
    if (area != square)
      keep.push_back(inCorner(area));

  for (int attempt = 0; attempt < 60; ++attempt) {
    // A fold leaves no flap clear of the print near some corners; such a corner is torn.
    if (attempt == 30)
      damage.kind = CornerDamage::Kind::torn;
    const bool torn = damage.kind == CornerDamage::Kind::torn;
    const double wander = torn ? tearWander : 0;
    const double a = between(random, 94, 130);
    std::vector<double> fits;
    for (double b = 94; b <= 130; b += 0.5) {
      if (inside({lostSquare.maxX(), lostSquare.maxY()}, a, b) < squareClearance + wander)
        continue;
      const bool spoils = std::ranges::any_of(keep, [&](const Rect &area) {
        return nearLoss(area, a, b, printClearance + wander) ||
               (!torn && nearFlap(area, a, b, printClearance));
      });
      if (!spoils)
        fits.push_back(b);
    }
    if (!fits.empty()) {
      damage.alongWidth = a;
      damage.alongHeight = fits[random.next() % fits.size()];
      return damage;
    }
  }
  return {};
}

// A capsule (a thick stroke with round ends) from `a` to `b`, as a polygon.
std::vector<Point> capsule(Point a, Point b, double width) {
  const double along = std::atan2(b.y - a.y, b.x - a.x), r = width / 2;
  std::vector<Point> outline;
  for (int i = 0; i <= 10; ++i) {
    const double t = along + pi / 2 + pi * i / 10;
    outline.push_back({b.x + r * std::cos(t - pi), b.y + r * std::sin(t - pi)});
  }
  for (int i = 0; i <= 10; ++i) {
    const double t = along + pi / 2 + pi * i / 10;
    outline.push_back({a.x + r * std::cos(t), a.y + r * std::sin(t)});
  }
  return outline;
}

std::vector<Point> ellipse(Point c, double along, double across, double turn) {
  std::vector<Point> outline;
  for (int i = 0; i < 28; ++i) {
    const double t = 2 * pi * i / 28;
    const double x = along * std::cos(t), y = across * std::sin(t);
    outline.push_back({c.x + x * std::cos(turn) - y * std::sin(turn),
                       c.y + x * std::sin(turn) + y * std::cos(turn)});
  }
  return outline;
}

// The shadow of a hand, or of a phone held over the page, reaching in from an edge of a
// photo `aspect` times as tall as it is wide. Drawn in widths of the photo, then made into
// fractions of its width and height.
Shadow handOrPhone(SplitMix64 &random, double aspect, double light) {
  const int edge = static_cast<int>(random.next() % 10); // bottom most often, top least
  const double s = between(random, 0.15, 0.85);
  Point entry;
  double inward = 0;
  if (edge < 4) {
    entry = {s, aspect};
    inward = -pi / 2;
  } else if (edge < 6) {
    entry = {1, s * aspect};
    inward = pi;
  } else if (edge < 9) {
    entry = {0, s * aspect};
    inward = 0;
  } else {
    entry = {s, 0};
    inward = pi / 2;
  }
  inward += between(random, -0.45, 0.45);
  const Point dir{std::cos(inward), std::sin(inward)};
  const double depth = (edge < 4 || edge == 9) ? aspect : 1;
  const double reach = between(random, 0.3, 0.6) * depth;
  const Point tip{entry.x + dir.x * reach, entry.y + dir.y * reach};
  auto back = [&](Point p, double by) { return Point{p.x - dir.x * by, p.y - dir.y * by}; };

  Shadow shadow;
  shadow.light = light;
  shadow.edge = between(random, 1, 3);
  if (random.next() % 2 == 0) {
    // A phone, and the hand holding it, from beyond the edge to the tip.
    const double width = between(random, 0.16, 0.24);
    shadow.outlines.push_back(capsule(back(tip, 2.5), back(tip, width / 2), width));
  } else {
    const double arm = between(random, 0.15, 0.2);
    const Point wrist = back(tip, 0.17);
    shadow.outlines.push_back(capsule(back(wrist, 2.5), wrist, arm));
    const Point palm{wrist.x + dir.x * 0.05, wrist.y + dir.y * 0.05};
    shadow.outlines.push_back(ellipse(palm, 0.09, 0.1, inward));
    for (int finger = 0; finger < 4; ++finger) {
      const double turn = inward + (finger - 1.5) * between(random, 0.18, 0.3);
      const Point base{palm.x + 0.07 * std::cos(turn), palm.y + 0.07 * std::sin(turn)};
      const double length = between(random, 0.08, 0.12);
      shadow.outlines.push_back(capsule(
          base, {base.x + length * std::cos(turn), base.y + length * std::sin(turn)}, 0.032));
    }
    const double thumb = inward + (random.next() % 2 == 0 ? 1.3 : -1.3);
    const Point root{palm.x + 0.05 * std::cos(thumb), palm.y + 0.05 * std::sin(thumb)};
    shadow.outlines.push_back(
        capsule(root, {root.x + 0.08 * std::cos(thumb), root.y + 0.08 * std::sin(thumb)}, 0.036));
  }
  for (auto &outline : shadow.outlines)
    for (Point &p : outline)
      p.y /= aspect;
  return shadow;
}

PhotoFraming framed(SplitMix64 &random, const CaptureCondition &condition, bool turned, Size page) {
  PhotoFraming framing;
  framing.pageFraction = from(random, condition.pageFraction);
  framing.centre = {0.5 + between(random, -0.2, 0.2), 0.5 + between(random, -0.2, 0.2)};
  framing.rotation = from(random, condition.rotation) + (turned ? 180 : 0);
  framing.tiltX = from(random, condition.tilt) * (random.next() % 2 == 0 ? 1 : -1);
  framing.tiltY = from(random, condition.tilt) * (random.next() % 2 == 0 ? 1 : -1);
  framing.desk = static_cast<uint8_t>(std::lround(from(random, condition.desk)));
  framing.lightFalloff = from(random, condition.lightFalloff);
  framing.lightDirection = between(random, 0, 360);
  framing.blur = 1 + static_cast<int>(random.next() % 2);
  framing.noise = static_cast<int>(std::lround(from(random, condition.noise)));
  framing.jpegQuality = static_cast<int>(std::lround(from(random, condition.photoQuality)));
  framing.seed = random.next();
  return PhotoCamera::steadied(framing, page, photoSkew);
}

} // namespace

PageCapture forSheet(const CaptureCondition &condition, int index, const SheetLayout &layout,
                     int pageCount) {
  SplitMix64 random{condition.seed * 0x100000001B3ULL + static_cast<uint64_t>(index)};
  PageCapture capture;
  capture.medium = condition.medium;
  const bool turned = random.nextUnit() < condition.upsideDown;
  if (condition.medium == CaptureMedium::copier) {
    capture.scanner = ClassSimulator::distortions(1, condition.scanner, random.next())[0];
    if (turned)
      capture.scanner.rotation += 180;
    capture.dpi = condition.dpi;
    capture.jpegQuality = condition.jpegQuality;
    capture.backing = condition.backing;
  } else {
    capture.scanner.seed = random.next();
    capture.scanner.paper = static_cast<uint8_t>(236 + random.next() % 16);
    capture.photo = framed(random, condition, turned, layout.pageSize);
  }

  if (!condition.warps.empty()) {
    PaperWarp &warp = capture.warp;
    warp.shape = condition.warps[random.next() % condition.warps.size()];
    warp.amplitude = from(random, condition.warpAmplitude);
    warp.direction = between(random, 0, 360);
    warp.crossways = random.next() % 2 == 0;
    warp.farEdge = random.next() % 2 == 0;
  }
  if (condition.creaseStep.high > 0)
    for (int third = 1; third <= 2; ++third) {
      const double size = from(random, condition.creaseStep), turn = between(random, 0, 2 * pi);
      capture.creases.push_back({layout.pageSize.height * third / 3 + between(random, -8, 8),
                                 {size * std::cos(turn), size * std::sin(turn)},
                                 between(random, 0.1, 0.3)});
    }
  if (condition.cornerDamage)
    capture.corner = damagedCorner(random, layout, pageCount);

  MarginMarks &margins = capture.margins;
  margins.doodles = static_cast<int>(std::lround(from(random, condition.doodles)));
  margins.cornerMarks = static_cast<int>(std::lround(from(random, condition.cornerMarks)));
  if (random.nextUnit() < condition.punched) {
    // Most punch from the left; some turn the sheet over first.
    margins.punched =
        random.nextUnit() < 0.8 ? MarginMarks::Punched::left : MarginMarks::Punched::right;
    margins.holeDiameter = between(random, 17, 21);
    margins.holeInset = between(random, 25, 31);
  }
  margins.seed = random.next();

  if (condition.medium == CaptureMedium::photo && random.nextUnit() < condition.shadow)
    capture.shadow =
        handOrPhone(random, static_cast<double>(capture.photo.height) / capture.photo.width,
                    from(random, condition.shadowLight));
  return capture;
}

} // namespace ovalon::CaptureConditions
