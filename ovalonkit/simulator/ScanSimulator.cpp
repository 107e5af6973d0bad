#include "simulator/ScanSimulator.h"

#include "model/Exam.h"
#include "model/SplitMix64.h"
#include "sheets/PdfWriter.h"
#include "sheets/SheetFill.h"
#include "sheets/SheetLayout.h"
#include "sheets/SheetRenderer.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <numbers>
#include <string>

namespace ovalon::ScanSimulator {

namespace {

constexpr double handGray = 0.25;
constexpr double idDigitSize = 10;
constexpr int noiseTableSize = 8192;

double radians(double degrees) {
  return degrees * std::numbers::pi / 180;
}

// A uniform draw in −1…1.
double spread(SplitMix64 &random) {
  return 2 * random.nextUnit() - 1;
}

struct Fill {
  double gray;
  double alpha;
  double radius; // fraction of the bubble's radius
};

Fill fillOf(PencilMark style) {
  switch (style) {
  case PencilMark::light:
    return {0.66, 0.85, 0.88};
  case PencilMark::erased:
    // A rubbing-out that leaves a dark smudge. A paler one reads as an empty bubble beside
    // the real answer, and the sample's erased mark would never reach Review.
    return {0.4, 0.8, 0.95};
  case PencilMark::solid:
  case PencilMark::check:
    break;
  }
  return {0.16, 0.9, 0.95};
}

// A pencil mark in the top-left, y-down frame. Filled marks are four overlapping, slightly
// offset ellipses, as a hand goes round a bubble more than once.
void mark(Canvas &canvas, Point centre, double radius, PencilMark style, SplitMix64 &random) {
  const double cx = centre.x, cy = centre.y, r = radius;
  if (style == PencilMark::check) {
    canvas.setStrokeGray(0.15, 0.9);
    canvas.setLineWidth(1.3);
    canvas.setLineCap(Canvas::LineCap::round);
    const double start = 0.5 * spread(random);
    const double end = 0.5 * spread(random);
    canvas.moveTo({cx - 0.7 * r, cy + start});
    canvas.lineTo({cx - 0.15 * r, cy + 0.65 * r});
    canvas.lineTo({cx + 0.9 * r, cy - 0.9 * r + end});
    canvas.strokePath();
    return;
  }
  const Fill fill = fillOf(style);
  canvas.setFillGray(fill.gray, fill.alpha);
  for (int i = 0; i < 4; ++i) {
    const double s = 0.92 + 0.1 * random.nextUnit();
    const double rr = fill.radius * r + 0.5 * spread(random);
    const double jx = 0.6 * spread(random);
    const double jy = 0.6 * spread(random);
    canvas.fillEllipse({cx + jx - rr, cy + jy - s * rr, 2 * rr, 1.96 * rr});
  }
}

void drawMarks(Canvas &canvas, const Exam &exam, const SimulatedSheet &sheet, int page,
               uint64_t seed) {
  const SheetLayout layout(exam);
  SplitMix64 random{seed * 31 + static_cast<uint64_t>(page)};
  const int choices = exam.choiceCount;

  for (int position : layout.positions(page)) {
    if (position >= static_cast<int>(sheet.answers.size()))
      break;
    const std::optional<int> answer = sheet.answers[static_cast<size_t>(position)];
    if (!answer || *answer < 0 || *answer >= choices)
      continue;
    const auto style = sheet.styles.find(position);
    mark(canvas, layout.bubbleCenter(position, *answer), SheetLayout::bubbleRadius,
         style == sheet.styles.end() ? PencilMark::solid : style->second, random);
  }
  for (const ExtraMark &extra : sheet.extras) {
    if (extra.position < 0 || extra.position >= exam.questionCount ||
        layout.page(extra.position) != page || extra.choice < 0 || extra.choice >= choices)
      continue;
    mark(canvas, layout.bubbleCenter(extra.position, extra.choice), SheetLayout::bubbleRadius,
         extra.style, random);
  }
  if (page != 1)
    return;

  if (sheet.studentID && exam.idDigits > 0) {
    int column = 0;
    for (char c : *sheet.studentID) {
      if (c < '0' || c > '9')
        continue;
      if (column == exam.idDigits)
        break;
      const Rect box = layout.idDigitBox(column);
      canvas.drawText(TextLine{std::string(1, c), Font{sheet.nameFont, idDigitSize}, handGray},
                      {box.midX() - 3, box.maxY() - 3});
      mark(canvas, layout.idBubbleCenter(column, c - '0'), SheetLayout::idBubbleRadius,
           sheet.idStyle, random);
      ++column;
    }
  }
  if (sheet.name) {
    canvas.save();
    canvas.translate(94, 99);
    canvas.rotate(radians(-sheet.nameSlant));
    canvas.drawText(TextLine{*sheet.name, Font{sheet.nameFont, sheet.nameSize}, handGray}, {0, 0});
    canvas.restore();
  }
}

// The horizontal shear x′ = x + k·y as the rotations and scaling a canvas offers:
// rotate(after) · scale(sx, sy) · rotate(before), the shear's singular value decomposition.
void shear(Canvas &canvas, double k) {
  if (k == 0)
    return;
  const double g = k / 2, h = -k / 2;
  const double q = std::hypot(1.0, h), r = std::abs(g);
  const double a1 = std::atan2(g, 0.0), a2 = std::atan2(h, 1.0);
  canvas.rotate((a2 + a1) / 2);
  canvas.scale(q + r, q - r);
  canvas.rotate((a2 - a1) / 2);
}

GrayBitmap bitmapOf(const GrayImage &image) {
  return {static_cast<int>(image.width), static_cast<int>(image.height), image.pixels};
}

// Paper tone and a triangular noise between −noise and +noise from a table, then specks of
// dust, all drawn from the distortion's seed.
void addPaperNoiseAndSpecks(GrayImage &image, const ScanDistortion &distortion) {
  SplitMix64 random{distortion.seed};
  if (distortion.noise > 0 || distortion.paper < 255) {
    std::array<int16_t, noiseTableSize> table{};
    for (auto &entry : table) {
      const double u1 = random.nextUnit();
      const double u2 = random.nextUnit();
      entry = static_cast<int16_t>((u1 + u2 - 1) * distortion.noise);
    }
    const uint64_t s = random.next() & 0xFFFF'FFFFu;
    uint64_t n = 0;
    for (uint8_t &v : image.pixels) {
      ++n;
      const int noise = table[(s + 7919 * n) % noiseTableSize];
      v = static_cast<uint8_t>(std::clamp(v * distortion.paper / 255 + noise, 0, 255));
    }
  }
  const auto w = static_cast<uint64_t>(image.width), h = static_cast<uint64_t>(image.height);
  for (int i = 0; i < distortion.specks; ++i) {
    const uint64_t x = random.next() % w;
    const uint64_t y = random.next() % h;
    const uint64_t size = random.next() % 3 + 1;
    for (uint64_t dy = 0; dy < size; ++dy)
      for (uint64_t dx = 0; dx < size; ++dx)
        if (x + dx < w && y + dy < h)
          image.set(static_cast<int64_t>(x + dx), static_cast<int64_t>(y + dy),
                    static_cast<uint8_t>(40 + random.next() % 80));
  }
}

Size pointsOf(const GrayImage &image, double dpi) {
  return {static_cast<double>(image.width) * 72 / dpi,
          static_cast<double>(image.height) * 72 / dpi};
}

} // namespace

void addScannedPage(PdfWriter &writer, const GrayImage &image, double dpi,
                    const std::optional<Bytes> &jpeg) {
  Canvas &canvas = writer.beginPage();
  const Size page = writer.pageSize();
  const Size size = pointsOf(image, dpi);
  const Rect rect{(page.width - size.width) / 2, (page.height - size.height) / 2, size.width,
                  size.height};
  canvas.save();
  canvas.translate(0, page.height);
  canvas.scale(1, -1);
  if (jpeg)
    canvas.drawJpegImage(bitmapOf(image), *jpeg, rect);
  else
    canvas.drawImage(bitmapOf(image), rect);
  canvas.restore();
  writer.endPage();
}

namespace {

// The page as the scanner stores it: 8-bit gray as drawn, or a JPEG of `jpegQuality`.
void addPage(PdfWriter &writer, const GrayImage &image, double dpi, int jpegQuality) {
  addScannedPage(writer, image, dpi,
                 jpegQuality > 0 ? image.jpegData(jpegQuality / 100.0) : std::nullopt);
}

// Scans every page of every sheet in order, handing each to `take` as soon as it is made.
void eachScannedPage(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                     const std::vector<ScanDistortion> &distortions, double dpi,
                     const std::function<void(GrayImage)> &take) {
  const Size pageSize = SheetLayout(exam).pageSize;
  for (size_t i = 0; i < sheets.size(); ++i) {
    const ScanDistortion distortion =
        distortions.empty() ? ScanDistortion{} : distortions[std::min(i, distortions.size() - 1)];
    for (int page = 1; page <= exam.pageCount(); ++page)
      take(scanned(drawPage(exam, sheets[i], page, dpi, distortion.seed), pageSize, distortion,
                   dpi));
  }
}

} // namespace

GrayImage drawPage(const Exam &exam, const SimulatedSheet &sheet, int page, double dpi,
                   uint64_t seed, const std::function<void(Canvas &)> &scribble) {
  const SheetLayout layout(exam);
  const std::optional<SheetFill> fill =
      sheet.isKey ? std::optional(SheetFill::answerKey()) : std::nullopt;
  return GrayImage::rendered(layout.pageSize, dpi / 72, 255, [&](Canvas &canvas) {
    SheetRenderer::draw(exam, sheet.version, page, fill, canvas);
    canvas.save();
    canvas.translate(0, layout.pageSize.height);
    canvas.scale(1, -1);
    drawMarks(canvas, exam, sheet, page, seed);
    if (scribble)
      scribble(canvas);
    canvas.restore();
  });
}

GrayImage scanned(const GrayImage &page, Size pageSize, const ScanDistortion &distortion,
                  double dpi) {
  const double quarterTurns = std::round(distortion.rotation / 90);
  const bool turned = std::fmod(std::abs(quarterTurns), 2) == 1;
  const Size frame = turned ? Size{pageSize.height, pageSize.width} : pageSize;
  GrayImage image = GrayImage::rendered(frame, dpi / 72, 255, [&](Canvas &canvas) {
    canvas.save();
    canvas.translate(frame.width / 2 + distortion.offset.x, frame.height / 2 - distortion.offset.y);
    canvas.rotate(radians(-distortion.rotation));
    shear(canvas, distortion.shear);
    canvas.scale(distortion.scale, distortion.scale);
    canvas.translate(-pageSize.width / 2, -pageSize.height / 2);
    // Images stand upright in a y-down space.
    canvas.translate(0, pageSize.height);
    canvas.scale(1, -1);
    canvas.drawImage(bitmapOf(page), {0, 0, pageSize.width, pageSize.height},
                     Canvas::Interpolation::smooth);
    canvas.restore();
  });
  addPaperNoiseAndSpecks(image, distortion);
  return image;
}

std::vector<GrayImage> scanPages(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                                 const std::vector<ScanDistortion> &distortions, double dpi) {
  std::vector<GrayImage> pages;
  eachScannedPage(exam, sheets, distortions, dpi,
                  [&](GrayImage page) { pages.push_back(std::move(page)); });
  return pages;
}

std::optional<Bytes> scanPDF(const std::vector<GrayImage> &pages, double dpi, int jpegQuality) {
  if (pages.empty())
    return std::nullopt;
  auto writer = PdfWriter::open(pointsOf(pages.front(), dpi), "Scan");
  if (!writer)
    return std::nullopt;
  for (const GrayImage &page : pages)
    addPage(*writer, page, dpi, jpegQuality);
  return writer->close();
}

std::optional<Bytes> scan(const Exam &exam, const std::vector<SimulatedSheet> &sheets,
                          const std::vector<ScanDistortion> &distortions, double dpi,
                          int jpegQuality) {
  std::optional<PdfWriter> writer;
  bool failed = false;
  eachScannedPage(exam, sheets, distortions, dpi, [&](GrayImage page) {
    if (!writer && !failed) {
      writer = PdfWriter::open(pointsOf(page, dpi), "Scan");
      failed = !writer;
    }
    if (writer)
      addPage(*writer, page, dpi, jpegQuality);
  });
  if (!writer)
    return std::nullopt;
  return writer->close();
}

} // namespace ovalon::ScanSimulator
