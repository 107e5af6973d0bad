#include "scanning/PageOrientation.h"

#include "scanning/ImageProcessing.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"

#include <cmath>
#include <vector>

namespace ovalon::PageOrientation {

namespace {

// Pixels per point of the comparison: coarse enough that a page which doesn't
// lie quite flat still lines up with the drawing, fine enough to show rows.
constexpr double scale = 0.5;
// The least lead the better way up must have, and the least match it must reach.
constexpr double leastLead = 0.1;
constexpr double leastMatch = 0.25;

// The blank sheet as printed, over the corner frame, at the comparison scale.
GrayImage printedSheet(const Exam &exam, const SheetIdentity &identity, const SheetLayout &layout,
                       int64_t width, int64_t height) {
  const std::optional<SheetFill> fill =
      identity.isKey ? std::optional(SheetFill::answerKey()) : std::nullopt;
  const GrayImage page = GrayImage::rendered(layout.pageSize, 1, 255, [&](Canvas &canvas) {
    SheetRenderer::draw(exam, identity.version, identity.page, fill, canvas);
  });
  const Rect frame = layout.cornerFrame();
  return ImageProcessing::resizedByArea(page.cropped(frame), width, height);
}

// Leaves out the symbol's square, and the place it would take on a turned page.
std::vector<uint8_t> comparedPixels(const SheetLayout &layout, int64_t width, int64_t height) {
  std::vector<uint8_t> used(static_cast<size_t>(width * height), 1);
  const Rect code = layout.codeRect();
  const Rect frame = layout.cornerFrame();
  auto blank = [&](double minX, double minY, double maxX, double maxY) {
    const auto x0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(minX)));
    const auto y0 = std::max<int64_t>(0, static_cast<int64_t>(std::floor(minY)));
    const auto x1 = std::min<int64_t>(width, static_cast<int64_t>(std::ceil(maxX)));
    const auto y1 = std::min<int64_t>(height, static_cast<int64_t>(std::ceil(maxY)));
    for (int64_t y = y0; y < y1; ++y)
      for (int64_t x = x0; x < x1; ++x)
        used[static_cast<size_t>(y * width + x)] = 0;
  };
  const double minX = (code.minX() - 6 - frame.minX()) * scale;
  const double minY = (code.minY() - 6 - frame.minY()) * scale;
  const double maxX = (code.maxX() + 6 - frame.minX()) * scale;
  const double maxY = (code.maxY() + 6 - frame.minY()) * scale;
  const auto w = static_cast<double>(width), h = static_cast<double>(height);
  blank(minX, minY, maxX, maxY);
  blank(w - maxX, h - maxY, w - minX, h - minY);
  return used;
}

// Pearson correlation of a and b over the used pixels; b read back to front
// when `turned` (the page half round).
double correlation(const GrayImage &a, const GrayImage &b, const std::vector<uint8_t> &used,
                   bool turned) {
  const size_t n = a.pixels.size();
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0, count = 0;
  for (size_t i = 0; i < n; ++i) {
    if (!used[i])
      continue;
    const double x = a.pixels[i];
    const double y = b.pixels[turned ? n - 1 - i : i];
    sa += x;
    sb += y;
    saa += x * x;
    sbb += y * y;
    sab += x * y;
    ++count;
  }
  if (count < 2)
    return 0;
  const double cov = sab - sa * sb / count;
  const double va = saa - sa * sa / count, vb = sbb - sb * sb / count;
  if (va <= 0 || vb <= 0)
    return 0;
  return cov / std::sqrt(va * vb);
}

} // namespace

Match compare(const GrayImage &straightened, const Exam &exam, const SheetIdentity &identity) {
  const SheetLayout layout(identity.signature);
  const Rect frame = layout.cornerFrame();
  const auto width = std::max<int64_t>(1, std::llround(frame.width * scale));
  const auto height = std::max<int64_t>(1, std::llround(frame.height * scale));
  const GrayImage printed = printedSheet(exam, identity, layout, width, height);
  const GrayImage page = ImageProcessing::resizedByArea(straightened, width, height);
  const auto used = comparedPixels(layout, width, height);
  return {correlation(printed, page, used, false), correlation(printed, page, used, true)};
}

Verdict verdict(const Match &match) {
  if (match.upright >= leastMatch && match.upright - match.turned >= leastLead)
    return Verdict::upright;
  if (match.turned >= leastMatch && match.turned - match.upright >= leastLead)
    return Verdict::turned;
  return Verdict::unclear;
}

} // namespace ovalon::PageOrientation
