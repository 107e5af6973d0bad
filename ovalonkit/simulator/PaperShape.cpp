#include "simulator/PaperShape.h"

#include "model/SplitMix64.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon {

namespace {

constexpr double pi = std::numbers::pi;
constexpr double cornerInset = 36;        // of the corner squares' centres from the page's edges
constexpr double curlStart = 0.35;        // where a curling page starts to lift, 0…1 to the edge
constexpr double creaseSoftness = 0.04;   // of a folded-open page's ridge, 0…1 of the page
constexpr double creaseWidth = 1.2;       // points of a crease's shaded line
constexpr double raggedness = 1.2;        // points a tear wanders from its straight line
constexpr double letterHoleSpacing = 306; // 4¼ inches between a US three-hole punch's holes
constexpr double a4HoleSpacing = 226.8;   // 80 mm between an ISO two-hole punch's holes

double smoothStep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3 - 2 * t);
}

// The curl's sag and lift after the plane through the corner squares is taken out, scaled so
// its largest size between the corner squares is 1. The most is at t = start + (1 − start)² / 2.
double curlProfile(double t) {
  auto lift = [](double s) {
    const double above = std::max(0.0, s - curlStart);
    return above * above / ((1 - curlStart) * (1 - curlStart));
  };
  const double peak = curlStart + (1 - curlStart) * (1 - curlStart) / 2;
  const double most = std::abs(lift(peak) - peak);
  return (lift(t) - t) / most;
}

double foldProfile(double t) {
  auto ridge = [](double s) { return std::hypot(s, creaseSoftness); };
  return (ridge(1) - ridge(2 * t - 1)) / (ridge(1) - ridge(0));
}

} // namespace

PaperShape::PaperShape(const PageCapture &capture, Size pageSize)
    : warp_(capture.warp), creases_(capture.creases), corner_(capture.corner), page_(pageSize) {
  std::ranges::sort(creases_, {}, &FoldCrease::y);
  holes_ = holes(capture.margins, pageSize);
  holeRadius_ = capture.margins.holeDiameter / 2;
  SplitMix64 random{corner_.seed};
  for (int i = 0; i < 3; ++i)
    ragged_.push_back(2 * pi * random.nextUnit());
}

std::vector<Point> PaperShape::holes(const MarginMarks &margins, Size pageSize) {
  if (margins.punched == MarginMarks::Punched::none)
    return {};
  const double x = margins.punched == MarginMarks::Punched::left
                       ? margins.holeInset
                       : pageSize.width - margins.holeInset;
  const double mid = pageSize.height / 2;
  // A4 paper is punched with two holes, US Letter with three.
  if (pageSize.height > 820)
    return {{x, mid - a4HoleSpacing / 2}, {x, mid + a4HoleSpacing / 2}};
  return {{x, mid - letterHoleSpacing}, {x, mid}, {x, mid + letterHoleSpacing}};
}

double PaperShape::warpProfile(Point printed) const {
  const double u = (printed.x - cornerInset) / (page_.width - 2 * cornerInset);
  const double v = (printed.y - cornerInset) / (page_.height - 2 * cornerInset);
  const double t = warp_.crossways ? v : u;
  switch (warp_.shape) {
  case PaperWarp::Shape::flat:
    return 0;
  case PaperWarp::Shape::bow:
    return std::sin(pi * t);
  case PaperWarp::Shape::curl:
    return curlProfile(warp_.farEdge ? t : 1 - t);
  case PaperWarp::Shape::foldedOpen:
    return foldProfile(t);
  }
  return 0;
}

Point PaperShape::displacement(Point printed) const {
  const double size = warp_.amplitude * warpProfile(printed);
  const double direction = warp_.direction * pi / 180;
  return {size * std::cos(direction), size * std::sin(direction)};
}

Point PaperShape::unbent(Point plane) const {
  // Each crease shifts the paper below it; the shift comes on over a few points, as the
  // paper rises over the crease, so no print is lost or doubled at the step.
  Point flat = plane;
  for (const FoldCrease &crease : creases_) {
    const double ramp = 3 + std::abs(crease.step.y);
    const double share = smoothStep((plane.y - crease.y) / ramp + 0.5);
    flat.x -= crease.step.x * share;
    flat.y -= crease.step.y * share;
  }
  // A bent page moves each point by a smooth displacement; undo it by fixed-point iteration,
  // which converges because the displacement changes slowly across the page.
  Point printed = flat;
  if (warp_.shape != PaperWarp::Shape::flat)
    for (int i = 0; i < 6; ++i) {
      const Point d = displacement(printed);
      printed = {flat.x - d.x, flat.y - d.y};
    }
  return printed;
}

bool PaperShape::lostCorner(Point printed) const {
  if (corner_.kind == CornerDamage::Kind::none)
    return false;
  // Distances in from the damaged corner's two edges.
  const double x = corner_.corner == 1 || corner_.corner == 2 ? page_.width - printed.x : printed.x;
  const double y = corner_.corner >= 2 ? page_.height - printed.y : printed.y;
  const double a = corner_.alongWidth, b = corner_.alongHeight;
  const double length = std::hypot(a, b);
  const double inside = (1 - x / a - y / b) * a * b / length; // toward the corner, in points
  if (corner_.kind == CornerDamage::Kind::foldedOver)
    return inside > 0;
  const double s = (b * y - a * (x - a)) / (length * length); // 0…1 along the tear
  const double wander = raggedness * (0.5 * std::sin(2 * pi * 3 * s + ragged_[0]) +
                                      0.3 * std::sin(2 * pi * 7 * s + ragged_[1]) +
                                      0.2 * std::sin(2 * pi * 17 * s + ragged_[2]));
  return inside > wander;
}

bool PaperShape::paperAt(Point printed) const {
  if (printed.x < 0 || printed.y < 0 || printed.x > page_.width || printed.y > page_.height)
    return false;
  for (const Point hole : holes_)
    if (std::hypot(printed.x - hole.x, printed.y - hole.y) < holeRadius_)
      return false;
  return !lostCorner(printed);
}

PaperShape::Look PaperShape::at(Point plane, Point printed) const {
  Look look;
  for (const FoldCrease &crease : creases_) {
    const double across = (plane.y - crease.y) / creaseWidth;
    look.light *= 1 - crease.shade * std::exp(-across * across);
  }
  if (warp_.shape == PaperWarp::Shape::foldedOpen) {
    // The two halves of a folded-open page face the light a little differently.
    const double middle = warp_.crossways ? page_.height / 2 : page_.width / 2;
    if ((warp_.crossways ? printed.y : printed.x) > middle)
      look.light *= 0.95;
  }

  if (corner_.kind == CornerDamage::Kind::foldedOver) {
    // The flap folded over lies on the front, mirrored across the fold, showing its back.
    const double sx = corner_.corner == 1 || corner_.corner == 2 ? -1 : 1;
    const double sy = corner_.corner >= 2 ? -1 : 1;
    const double x = sx > 0 ? printed.x : page_.width - printed.x;
    const double y = sy > 0 ? printed.y : page_.height - printed.y;
    const double a = corner_.alongWidth, b = corner_.alongHeight;
    const double length = std::hypot(a, b);
    const double inside = (1 - x / a - y / b) * a * b / length;
    if (inside < 0) {
      // Across the fold line, toward the corner: the unit normal is (b, a) / length.
      const double mx = x + 2 * inside * b / length, my = y + 2 * inside * a / length;
      if (mx >= 0 && my >= 0) {
        look.side = Look::Side::back;
        look.printed = {sx > 0 ? mx : page_.width - mx, sy > 0 ? my : page_.height - my};
        look.light *= 0.94;
        return look;
      }
    }
  }
  if (!paperAt(printed))
    return look;
  look.side = Look::Side::front;
  look.printed = printed;
  return look;
}

} // namespace ovalon
