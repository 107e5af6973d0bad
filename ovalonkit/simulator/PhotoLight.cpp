#include "simulator/PhotoLight.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ovalon::PhotoLight {

namespace {

constexpr double vignette = 0.1; // light lost in the photo's corners

// 255 where the shadow is not, 0 where it is, with edges `edge` pixels soft.
GrayImage shadowMask(const Shadow &shadow, int64_t width, int64_t height) {
  const auto w = static_cast<double>(width), h = static_cast<double>(height);
  GrayImage mask = GrayImage::rendered({w, h}, 1, 255, [&](Canvas &canvas) {
    canvas.translate(0, h);
    canvas.scale(1, -1);
    canvas.setFillGray(0);
    for (const auto &outline : shadow.outlines) {
      if (outline.size() < 3)
        continue;
      canvas.moveTo({outline[0].x * w, outline[0].y * h});
      for (size_t i = 1; i < outline.size(); ++i)
        canvas.lineTo({outline[i].x * w, outline[i].y * h});
      canvas.closePath();
      canvas.fillPath();
    }
  });
  // A box blur each way softens the edge into a short ramp.
  const int64_t r = std::max<int64_t>(0, std::lround(shadow.edge / 2));
  if (r == 0)
    return mask;
  std::vector<uint8_t> line;
  auto blurLine = [&](uint8_t *first, int64_t count, int64_t stride) {
    line.assign(static_cast<size_t>(count), 0);
    for (int64_t i = 0; i < count; ++i)
      line[static_cast<size_t>(i)] = first[i * stride];
    for (int64_t i = 0; i < count; ++i) {
      int sum = 0, n = 0;
      for (int64_t j = std::max<int64_t>(0, i - r); j <= std::min(count - 1, i + r); ++j, ++n)
        sum += line[static_cast<size_t>(j)];
      first[i * stride] = static_cast<uint8_t>(sum / n);
    }
  };
  for (int64_t y = 0; y < height; ++y)
    blurLine(mask.pixels.data() + y * width, width, 1);
  for (int64_t x = 0; x < width; ++x)
    blurLine(mask.pixels.data() + x, height, width);
  return mask;
}

} // namespace

void apply(GrayImage &photo, const PhotoFraming &framing, const std::optional<Shadow> &shadow) {
  const std::optional<GrayImage> mask =
      shadow ? std::optional(shadowMask(*shadow, photo.width, photo.height)) : std::nullopt;
  const double w = static_cast<double>(photo.width), h = static_cast<double>(photo.height);
  const double turn = framing.lightDirection * std::numbers::pi / 180;
  const double dx = std::cos(turn), dy = std::sin(turn);
  const double reach = std::hypot(w, h) / 2;
  for (int64_t y = 0; y < photo.height; ++y)
    for (int64_t x = 0; x < photo.width; ++x) {
      const double cx = static_cast<double>(x) + 0.5 - w / 2,
                   cy = static_cast<double>(y) + 0.5 - h / 2;
      // 0 on the bright side, 1 on the dark side.
      const double across = ((cx * dx + cy * dy) / reach + 1) / 2;
      const double corner = (cx * cx + cy * cy) / (reach * reach);
      double light = (1 - framing.lightFalloff * across) * (1 - vignette * corner);
      const size_t at = static_cast<size_t>(y * photo.width + x);
      if (mask) {
        const double open = mask->pixels[at] / 255.0;
        light *= shadow->light + (1 - shadow->light) * open;
      }
      photo.pixels[at] =
          static_cast<uint8_t>(std::clamp(std::lround(photo.pixels[at] * light), 0L, 255L));
    }
}

} // namespace ovalon::PhotoLight
