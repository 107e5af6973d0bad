#pragma once

#include "scanning/GrayImage.h"
#include "sheets/Point.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ovalon {

// A straightened page at half its resolution, as darkness (0 paper … 1 black), where the
// printed bubble outlines are looked for. Half resolution is plenty to place a ring to a
// fraction of its stroke and makes every search four times cheaper.
//
// Coordinates are continuous half-resolution pixels: sheet-frame pixel (x, y) is (x / 2, y / 2).
class RingImage {
public:
  explicit RingImage(const GrayImage &straightened);

  int64_t width() const { return width_; }
  int64_t height() const { return height_; }

  // Bilinear darkness at a continuous position; 0 outside the image.
  double darkness(Point at) const;

  // How much a printed ring of `radius` centred at `centre` stands out: the mean darkness
  // on the ring less the mean darkness just outside it. An empty bubble and a filled one
  // both answer (a filled one more strongly); paper, text and lines hardly do.
  double response(Point centre, double radius) const;

  // The response at every whole-pixel centre of a window, for searching many centres.
  class Map {
  public:
    // Nothing is known outside the window: those centres answer 0.
    double at(int64_t x, int64_t y) const;
    // Bilinear between whole-pixel centres.
    double at(Point centre) const;
    // The strongest centre within `reach` whole pixels of `near`, refined to a fraction of a
    // pixel; its response in `strength`.
    Point peak(Point near, int reach, double &strength) const;
    // Each centre given the strongest response within `reach` pixels, so a ring a pixel or
    // two off its place still answers in full.
    Map pooled(int reach) const;

  private:
    friend class RingImage;
    int64_t x0 = 0, y0 = 0, width = 0, height = 0;
    std::vector<float> values;
  };

  // The response of `radius` over the window (x0, y0, width, height), clipped to the image.
  Map map(int64_t x0, int64_t y0, int64_t width, int64_t height, double radius) const;

private:
  int64_t width_ = 0, height_ = 0;
  std::unique_ptr<float[]> pixels_;
};

} // namespace ovalon
