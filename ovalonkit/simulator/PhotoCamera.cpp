#include "simulator/PhotoCamera.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace ovalon::PhotoCamera {

namespace {

constexpr double radiansPerDegree = std::numbers::pi / 180;
// A phone's main camera: its focal length is about 0.8 of the photo's long side.
constexpr double focalLength = 0.8;
constexpr double inset = 36;    // of the corner squares' centres from the page's edges
constexpr double border = 0.02; // of the photo, kept clear around the page

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

std::array<Point, 4> corners(const Homography &view, Size page, double in) {
  return {view.apply({in, in}), view.apply({page.width - in, in}),
          view.apply({page.width - in, page.height - in}), view.apply({in, page.height - in})};
}

double skewOf(const Homography &view, Size page) {
  const auto c = corners(view, page, inset);
  auto off = [](double a, double b) { return std::abs(a / b - 1); };
  return std::max({off(distance(c[0], c[1]), distance(c[3], c[2])),
                   off(distance(c[0], c[3]), distance(c[1], c[2])),
                   off(distance(c[0], c[2]), distance(c[1], c[3]))});
}

} // namespace

Homography view(const PhotoFraming &framing, Size page) {
  const double longSide = std::max(framing.width, framing.height);
  const double scale = framing.pageFraction * longSide / std::max(page.width, page.height);
  const double focal = focalLength * longSide;
  const double away = focal / scale; // the camera's height over the page, in points

  // The page centred on the camera's axis and turned in its own plane…
  const double turn = framing.rotation * radiansPerDegree;
  const double cr = std::cos(turn), sr = std::sin(turn);
  const Homography centred{{cr, -sr, -(cr * page.width - sr * page.height) / 2, sr, cr,
                            -(sr * page.width + cr * page.height) / 2, 0, 0, 1}};
  // …leaning away from the camera about its two axes, `away` points in front of it…
  const double ax = framing.tiltX * radiansPerDegree, ay = framing.tiltY * radiansPerDegree;
  const double cx = std::cos(ax), sx = std::sin(ax), cy = std::cos(ay), sy = std::sin(ay);
  // Columns of Ry · Rx applied to (x, y, 0), then the shift along the axis.
  const Homography leaned{{cy, sy * sx, 0, 0, cx, 0, -sy, cy * sx, away}};
  // …and projected onto the sensor with the page's centre where the framing puts it.
  const Homography lens{{focal, 0, framing.centre.x * framing.width, 0, focal,
                         framing.centre.y * framing.height, 0, 0, 1}};
  return lens.after(leaned).after(centred);
}

PhotoFraming steadied(PhotoFraming framing, Size page, double skew) {
  for (int i = 0; i < 40 && skewOf(view(framing, page), page) > skew; ++i) {
    framing.tiltX *= 0.85;
    framing.tiltY *= 0.85;
  }
  // Pull the page toward the middle of the photo until all of it is in the picture.
  const Point middle{0.5, 0.5};
  for (int i = 0; i < 40; ++i) {
    const auto c = corners(view(framing, page), page, 0);
    const bool inside = std::ranges::all_of(c, [&](Point p) {
      return p.x >= border * framing.width && p.x <= (1 - border) * framing.width &&
             p.y >= border * framing.height && p.y <= (1 - border) * framing.height;
    });
    if (inside)
      break;
    framing.centre = {middle.x + (framing.centre.x - middle.x) * 0.8,
                      middle.y + (framing.centre.y - middle.y) * 0.8};
    if (i > 20)
      framing.pageFraction *= 0.98;
  }
  return framing;
}

} // namespace ovalon::PhotoCamera
