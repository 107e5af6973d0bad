#include "simulator/CaptureSimulator.h"

#include "model/Exam.h"
#include "model/SplitMix64.h"
#include "sheets/PdfWriter.h"
#include "sheets/SheetLayout.h"
#include "simulator/MarginDoodles.h"
#include "simulator/PaperShape.h"
#include "simulator/PhotoCamera.h"
#include "simulator/PhotoLight.h"
#include "simulator/ScanSimulator.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>

namespace ovalon::CaptureSimulator {

namespace {

constexpr int grid = 4;                  // pixels between exactly mapped points
constexpr double flapShowThrough = 0.06; // of the print, seen through a folded-over flap
constexpr double photoDpi = 200;         // of a photo put into a PDF, as a phone's scan app does
constexpr Point dropShadow{1.5, 2};      // points a page's shadow on the desk falls by
constexpr int noiseTableSize = 8192;

// A gray level between pixels, bilinearly; white beyond the edges.
double sample(const GrayImage &image, double x, double y) {
  x -= 0.5;
  y -= 0.5;
  const double fx = std::floor(x), fy = std::floor(y);
  const auto x0 = static_cast<int64_t>(fx), y0 = static_cast<int64_t>(fy);
  const double tx = x - fx, ty = y - fy;
  auto at = [&](int64_t px, int64_t py) -> double {
    if (px < 0 || py < 0 || px >= image.width || py >= image.height)
      return 255;
    return image.pixels[static_cast<size_t>(py * image.width + px)];
  };
  const double top = at(x0, y0) * (1 - tx) + at(x0 + 1, y0) * tx;
  const double bottom = at(x0, y0 + 1) * (1 - tx) + at(x0 + 1, y0 + 1) * tx;
  return top * (1 - ty) + bottom * ty;
}

// The wood of a desk: a base gray with grain running one way and a slow waviness.
struct Desk {
  double base = 110;
  double grainX = 1, grainY = 0, period = 90, phase = 0;

  double at(double x, double y) const {
    const double along = x * grainX + y * grainY, across = x * grainY - y * grainX;
    const double wave = std::sin(2 * std::numbers::pi * (across / period + phase) +
                                 2.2 * std::sin(along / (7 * period)));
    return base * (1 + 0.05 * wave + 0.04 * std::sin(along / (3.1 * period) + phase));
  }
};

// Draws the captured picture: for every pixel, where it falls on the paper (`toPlane` maps a
// pixel's centre into the capture plane), and what the paper, or what lies under it, shows
// there. The mapping is exact on a grid and interpolated in between.
GrayImage drawn(int64_t width, int64_t height, const std::function<Point(Point)> &toPlane,
                const PaperShape &shape, const GrayImage &flat, double flatScale, double paper,
                const std::function<double(double, double, Point)> &under) {
  const int64_t columns = width / grid + 2, rows = height / grid + 2;
  std::vector<Point> planes(static_cast<size_t>(columns * rows));
  std::vector<Point> printed(planes.size());
  for (int64_t r = 0; r < rows; ++r)
    for (int64_t c = 0; c < columns; ++c) {
      const auto at = static_cast<size_t>(r * columns + c);
      planes[at] = toPlane({static_cast<double>(c * grid), static_cast<double>(r * grid)});
      printed[at] = shape.unbent(planes[at]);
    }
  auto between = [&](const std::vector<Point> &points, int64_t c, int64_t r, double tx, double ty) {
    const auto at = static_cast<size_t>(r * columns + c);
    const Point a = points[at], b = points[at + 1];
    const Point d = points[at + static_cast<size_t>(columns)],
                e = points[at + static_cast<size_t>(columns) + 1];
    return Point{(a.x * (1 - tx) + b.x * tx) * (1 - ty) + (d.x * (1 - tx) + e.x * tx) * ty,
                 (a.y * (1 - tx) + b.y * tx) * (1 - ty) + (d.y * (1 - tx) + e.y * tx) * ty};
  };

  GrayImage image = GrayImage::blank(width, height, 255);
  for (int64_t y = 0; y < height; ++y)
    for (int64_t x = 0; x < width; ++x) {
      const double px = static_cast<double>(x) + 0.5, py = static_cast<double>(y) + 0.5;
      const int64_t c = static_cast<int64_t>(px) / grid, r = static_cast<int64_t>(py) / grid;
      const double tx = (px - static_cast<double>(c * grid)) / grid;
      const double ty = (py - static_cast<double>(r * grid)) / grid;
      const Point plane = between(planes, c, r, tx, ty);
      const Point from = between(printed, c, r, tx, ty);
      const PaperShape::Look look = shape.at(plane, from);
      double value = 0;
      switch (look.side) {
      case PaperShape::Look::Side::front:
        value = sample(flat, look.printed.x * flatScale, look.printed.y * flatScale) * paper / 255;
        break;
      case PaperShape::Look::Side::back:
        value = (255 - flapShowThrough * (255 - sample(flat, look.printed.x * flatScale,
                                                       look.printed.y * flatScale))) *
                paper / 255;
        break;
      case PaperShape::Look::Side::none:
        value = under(px, py, from);
        break;
      }
      image.pixels[static_cast<size_t>(y * width + x)] =
          static_cast<uint8_t>(std::clamp(std::lround(value * look.light), 0L, 255L));
    }
  return image;
}

bool reshapes(const PageCapture &capture) {
  return capture.warp.shape != PaperWarp::Shape::flat || !capture.creases.empty() ||
         capture.corner.kind != CornerDamage::Kind::none ||
         capture.margins.punched != MarginMarks::Punched::none;
}

// A lens's softness: passes of a [1 2 1] / 4 blur each way.
void soften(GrayImage &image, int passes) {
  std::vector<uint8_t> line;
  auto pass = [&](uint8_t *first, int64_t count, int64_t stride) {
    line.assign(static_cast<size_t>(count), 0);
    for (int64_t i = 0; i < count; ++i)
      line[static_cast<size_t>(i)] = first[i * stride];
    for (int64_t i = 1; i + 1 < count; ++i)
      first[i * stride] = static_cast<uint8_t>((line[static_cast<size_t>(i - 1)] +
                                                2 * line[static_cast<size_t>(i)] +
                                                line[static_cast<size_t>(i + 1)] + 2) /
                                               4);
  };
  for (int i = 0; i < passes; ++i) {
    for (int64_t y = 0; y < image.height; ++y)
      pass(image.pixels.data() + y * image.width, image.width, 1);
    for (int64_t x = 0; x < image.width; ++x)
      pass(image.pixels.data() + x, image.height, image.width);
  }
}

// Sensor noise: a near-normal spread of `level` gray levels from a table drawn from the seed.
void addNoise(GrayImage &image, int level, uint64_t seed) {
  if (level <= 0)
    return;
  SplitMix64 random{seed};
  std::array<int16_t, noiseTableSize> table{};
  for (auto &entry : table) {
    const double spread = random.nextUnit() + random.nextUnit() + random.nextUnit() - 1.5;
    entry = static_cast<int16_t>(std::lround(2 * spread * level));
  }
  const uint64_t start = random.next() & 0xFFFF'FFFFu;
  uint64_t n = 0;
  for (uint8_t &v : image.pixels) {
    ++n;
    v = static_cast<uint8_t>(std::clamp(v + table[(start + 7919 * n) % noiseTableSize], 0, 255));
  }
}

CapturedPage copied(const Exam &exam, const GrayImage &flat, const PageCapture &capture) {
  const SheetLayout layout(exam);
  const double scale = capture.dpi / 72;
  GrayImage page = flat;
  if (reshapes(capture)) {
    const PaperShape shape(capture, layout.pageSize);
    const double backing = capture.backing;
    page = drawn(
        flat.width, flat.height,
        [&](Point p) {
          return Point{p.x / scale, p.y / scale};
        },
        shape, flat, scale, 255,
        [&](double, double, Point printed) {
          // The copier's light catches the paper's edge, which shows as a thin gray line.
          const bool edge = shape.paperAt({printed.x - 1, printed.y - 1}) ||
                            shape.paperAt({printed.x + 1, printed.y + 1});
          return backing * (edge ? 0.8 : 1);
        });
  }
  CapturedPage captured{ScanSimulator::scanned(page, layout.pageSize, capture.scanner, capture.dpi),
                        std::nullopt, capture.dpi};
  if (capture.jpegQuality > 0)
    captured.jpeg = captured.image.jpegData(capture.jpegQuality / 100.0);
  return captured;
}

CapturedPage photographed(const Exam &exam, const GrayImage &flat, double flatScale,
                          const PageCapture &capture) {
  const SheetLayout layout(exam);
  const PhotoFraming &framing = capture.photo;
  const Homography back = PhotoCamera::view(framing, layout.pageSize).inverse();
  const PaperShape shape(capture, layout.pageSize);
  SplitMix64 random{framing.seed};
  const double grain = 2 * std::numbers::pi * random.nextUnit();
  const Desk desk{static_cast<double>(framing.desk), std::cos(grain), std::sin(grain),
                  60 + 80 * random.nextUnit(), random.nextUnit()};
  GrayImage photo = drawn(
      framing.width, framing.height, [&](Point p) { return back.apply(p); }, shape, flat, flatScale,
      capture.scanner.paper,
      [&](double x, double y, Point printed) {
        // The page lifts a little off the desk and casts a thin shadow beside itself.
        const bool shaded = shape.paperAt({printed.x - dropShadow.x, printed.y - dropShadow.y});
        return desk.at(x, y) * (shaded ? 0.6 : 1);
      });
  PhotoLight::apply(photo, framing, capture.shadow);
  soften(photo, framing.blur);
  addNoise(photo, framing.noise, random.next());
  CapturedPage captured{std::move(photo), std::nullopt, photoDpi};
  captured.jpeg = captured.image.jpegData(framing.jpegQuality / 100.0);
  return captured;
}

} // namespace

CapturedPage capture(const Exam &exam, const SimulatedSheet &sheet, int page,
                     const PageCapture &capture) {
  const SheetLayout layout(exam);
  double flatScale = capture.dpi / 72;
  if (capture.medium == CaptureMedium::photo) {
    // Drawn at about the photo's own resolution of the page, so sampling loses nothing.
    const PhotoFraming &framing = capture.photo;
    const double onPhoto = framing.pageFraction * std::max(framing.width, framing.height) /
                           std::max(layout.pageSize.width, layout.pageSize.height);
    flatScale = std::clamp(onPhoto, 150 / 72.0, 360 / 72.0);
  }
  const MarginMarks &margins = capture.margins;
  std::function<void(Canvas &)> scribble;
  if (margins.doodles > 0 || margins.cornerMarks > 0)
    scribble = [&](Canvas &canvas) { MarginDoodles::draw(canvas, layout, page, margins); };
  const GrayImage flat =
      ScanSimulator::drawPage(exam, sheet, page, flatScale * 72, capture.scanner.seed, scribble);
  if (capture.medium == CaptureMedium::photo)
    return photographed(exam, flat, flatScale, capture);
  return copied(exam, flat, capture);
}

GrayImage seen(const CapturedPage &page) {
  if (page.jpeg)
    if (auto decoded = GrayImage::fromImageData(*page.jpeg))
      return *std::move(decoded);
  return page.image;
}

std::optional<Bytes> capturePDF(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                                const std::vector<PageCapture> &captures) {
  std::optional<PdfWriter> writer;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const PageCapture &how =
        captures.empty() ? PageCapture{} : captures[std::min(i, captures.size() - 1)];
    for (int page = 1; page <= exam.pageCount(); ++page) {
      const CapturedPage captured = capture(exam, sheets[i], page, how);
      if (!writer) {
        writer = PdfWriter::open({static_cast<double>(captured.image.width) * 72 / captured.dpi,
                                  static_cast<double>(captured.image.height) * 72 / captured.dpi},
                                 "Scan");
        if (!writer)
          return std::nullopt;
      }
      ScanSimulator::addScannedPage(*writer, captured.image, captured.dpi, captured.jpeg);
    }
  }
  if (!writer)
    return std::nullopt;
  return writer->close();
}

} // namespace ovalon::CaptureSimulator
