#pragma once

#include "sheets/Point.h"
#include "sheets/Size.h"
#include "simulator/PageCapture.h"

#include <vector>

namespace ovalon {

// The shape a sheet of paper is in when it is captured: bent, stepped at its creases, torn
// or folded at a corner, punched. The capture plane is where the corner squares would put
// every point of a flat page (points, y down); this maps it back to the printed page.
class PaperShape {
public:
  // What shows at one point of the capture plane.
  struct Look {
    enum class Side { none, front, back };
    Side side = Side::none; // none: a hole, a lost corner or beyond the page
    Point printed;          // the printed page's point there (front), or behind it (back)
    double light = 1;       // the crease's or fold's shading
  };

  PaperShape(const PageCapture &capture, Size pageSize);

  // Where the punch put its holes, on paper of `pageSize`.
  static std::vector<Point> holes(const MarginMarks &margins, Size pageSize);

  // Where a point of the capture plane comes from on the flat printed page: the creases'
  // steps and the bend undone.
  Point unbent(Point plane) const;

  // What shows at a point of the capture plane, given where it comes from (`unbent`).
  Look at(Point plane, Point printed) const;

  // Whether paper lies at a point of the flat printed page.
  bool paperAt(Point printed) const;

private:
  Point displacement(Point printed) const;
  double warpProfile(Point printed) const;
  bool lostCorner(Point printed) const;

  PaperWarp warp_;
  std::vector<FoldCrease> creases_;
  CornerDamage corner_;
  std::vector<Point> holes_;
  double holeRadius_ = 0;
  Size page_;
  std::vector<double> ragged_; // phases of the tear's wobble
};

} // namespace ovalon
