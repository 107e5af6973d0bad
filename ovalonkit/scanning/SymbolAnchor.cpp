#include "scanning/SymbolAnchor.h"

#include "sheets/QRMatrix.h"

#include <cmath>

namespace ovalon {

namespace {

Point mean(const std::array<Point, 4> &points) {
  Point sum;
  for (const Point &p : points)
    sum = {sum.x + p.x / 4, sum.y + p.y / 4};
  return sum;
}

double distance(Point a, Point b) {
  return std::hypot(a.x - b.x, a.y - b.y);
}

} // namespace

std::optional<SymbolAnchor> SymbolAnchor::make(const SheetIdentity &identity,
                                               const SheetLayout &layout,
                                               const std::array<Point, 4> &seenCorners) {
  // The printed symbol fills its square but for a quiet zone of three modules.
  const std::optional<QRMatrix> matrix = QRMatrix::make(identity.payload());
  if (!matrix || matrix->size < 1)
    return std::nullopt;
  const Rect code = layout.codeRect();
  const double inset = 3 * code.width / (matrix->size + 6);
  const std::array<Point, 4> printed{{{code.minX() + inset, code.minY() + inset},
                                      {code.maxX() - inset, code.minY() + inset},
                                      {code.maxX() - inset, code.maxY() - inset},
                                      {code.minX() + inset, code.maxY() - inset}}};
  const auto affine = Homography::fittedAffine(printed, seenCorners);
  if (!affine)
    return std::nullopt;
  SymbolAnchor anchor{printed, seenCorners, *affine};
  if (!(anchor.scale() > 0))
    return std::nullopt;
  return anchor;
}

Point SymbolAnchor::printedCentre() const {
  return mean(printed);
}

Point SymbolAnchor::seenCentre() const {
  return mean(seen);
}

double SymbolAnchor::scale() const {
  const auto [u, v] = sheetToImage.steps(printedCentre());
  return std::sqrt(std::abs(u.x * v.y - u.y * v.x));
}

bool SymbolAnchor::covers(Point imagePoint) const {
  // Back to sheet points through the affine's inverse.
  const auto &m = sheetToImage.m;
  const double det = m[0] * m[4] - m[1] * m[3];
  if (det == 0)
    return false;
  const double dx = imagePoint.x - m[2], dy = imagePoint.y - m[5];
  const Point sheet{(m[4] * dx - m[1] * dy) / det, (m[0] * dy - m[3] * dx) / det};
  const double reach = distance(printed[0], printed[1]) / 2 + 4;
  const Point centre = printedCentre();
  return std::abs(sheet.x - centre.x) <= reach && std::abs(sheet.y - centre.y) <= reach;
}

double SymbolAnchor::misfit(const Corners &corners, const SheetLayout &layout) const {
  const auto frame = layout.cornerCenters();
  const auto sheet = Homography::fitted(frame, corners);
  if (!sheet)
    return INFINITY;
  const Point predicted = sheet->map(printedCentre());
  return distance(predicted, seenCentre()) / scale();
}

} // namespace ovalon
