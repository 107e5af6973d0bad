#pragma once

#include "sheets/Canvas.h"

#include <vector>

struct _cairo;
struct _cairo_surface;

namespace ovalon {

// Canvas over a cairo context the caller owns; used by PdfWriter and BitmapCanvas.
class CairoCanvas final : public Canvas {
public:
  // Takes a reference on `cr` and sets up PDF page coordinates for a page of `height` points.
  CairoCanvas(_cairo *cr, double height);
  ~CairoCanvas() override;
  CairoCanvas(const CairoCanvas &) = delete;
  CairoCanvas &operator=(const CairoCanvas &) = delete;

  void save() override;
  void restore() override;
  void translate(double dx, double dy) override;
  void scale(double sx, double sy) override;
  void rotate(double radians) override;
  void setFillGray(double gray, double alpha = 1) override;
  void setStrokeGray(double gray, double alpha = 1) override;
  void setLineWidth(double width) override;
  void setLineCap(LineCap cap) override;
  void setLineDash(const std::vector<double> &lengths, double phase = 0) override;
  void fillRect(Rect rect) override;
  void strokeRect(Rect rect) override;
  void fillEllipse(Rect bounds) override;
  void strokeEllipse(Rect bounds) override;
  void clipToEllipse(Rect bounds) override;
  void fillRoundedRect(Rect rect, double radius) override;
  void strokeRoundedRect(Rect rect, double radius) override;
  void moveTo(Point point) override;
  void lineTo(Point point) override;
  void closePath() override;
  void strokePath() override;
  void fillPath() override;
  void drawText(const TextLine &line, Point origin) override;
  void drawImage(const GrayBitmap &image, Rect rect,
                 Interpolation interpolation = Interpolation::none) override;
  void drawJpegImage(const GrayBitmap &image, const Bytes &jpeg, Rect rect) override;

private:
  struct Paint {
    double gray = 0;
    double alpha = 1;
  };
  struct State {
    Paint fill;
    Paint stroke;
  };

  void fillCurrentPath();
  void paintSurface(_cairo_surface *surface, int width, int height, Rect rect,
                    Interpolation interpolation);
  void strokeCurrentPath();

  _cairo *cr_;
  State state_;
  std::vector<State> saved_;
};

} // namespace ovalon
