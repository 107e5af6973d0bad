#pragma once

#include "model/Bytes.h"
#include "sheets/GrayBitmap.h"
#include "sheets/Point.h"
#include "sheets/Rect.h"
#include "sheets/TextLine.h"

#include <vector>

namespace ovalon {

// The 2-D drawing operations sheets, reports, slips and the scan simulator
// are drawn with. A page starts in PDF coordinates (points, origin at the
// bottom-left, y upward); drawing code flips to a top-left origin itself with
// translate(0, H) and scale(1, -1).
//
// Gray levels run from 0 (black) to 1 (white). Fill and stroke colours are
// separate state; save() and restore() keep and bring back the whole state,
// clip included. Shape operations start a fresh path.
class Canvas {
public:
  enum class LineCap { butt, round, square };
  enum class Interpolation { none, smooth };

  virtual ~Canvas() = default;

  virtual void save() = 0;
  virtual void restore() = 0;
  virtual void translate(double dx, double dy) = 0;
  virtual void scale(double sx, double sy) = 0;
  // Turns the axes by `radians`, from +x toward +y.
  virtual void rotate(double radians) = 0;

  virtual void setFillGray(double gray, double alpha = 1) = 0;
  virtual void setStrokeGray(double gray, double alpha = 1) = 0;
  virtual void setLineWidth(double width) = 0;
  virtual void setLineCap(LineCap cap) = 0;
  // Alternating on and off lengths; empty for solid lines.
  virtual void setLineDash(const std::vector<double> &lengths, double phase = 0) = 0;

  virtual void fillRect(Rect rect) = 0;
  virtual void strokeRect(Rect rect) = 0;
  virtual void fillEllipse(Rect bounds) = 0;
  virtual void strokeEllipse(Rect bounds) = 0;
  // Narrows the clip to the ellipse (non-zero winding).
  virtual void clipToEllipse(Rect bounds) = 0;
  virtual void fillRoundedRect(Rect rect, double radius) = 0;
  virtual void strokeRoundedRect(Rect rect, double radius) = 0;

  // A path built point by point, then filled or stroked (which ends it).
  virtual void moveTo(Point point) = 0;
  virtual void lineTo(Point point) = 0;
  virtual void closePath() = 0;
  virtual void strokePath() = 0;
  virtual void fillPath() = 0;

  // Draws the line in its own gray with the left end of its baseline at
  // `origin`. Glyphs stand upright in a y-down (flipped) space, and sit
  // exactly where TextLine::width() says they end.
  virtual void drawText(const TextLine &line, Point origin) = 0;

  // Pixel (x, y) of the image covers (rect.x + x·w/W, rect.y + y·h/H), so the
  // first row is at rect.y: upright in a y-down space.
  virtual void drawImage(const GrayBitmap &image, Rect rect,
                         Interpolation interpolation = Interpolation::none) = 0;
  // The same picture kept as the JPEG it was encoded to (`jpeg` decodes to `image`): a PDF
  // stores the JPEG's own bytes, as copiers write their scans; pixel targets draw `image`.
  virtual void drawJpegImage(const GrayBitmap &image, const Bytes &jpeg, Rect rect) = 0;
};

} // namespace ovalon
