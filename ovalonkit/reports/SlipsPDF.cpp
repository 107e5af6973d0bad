#include "reports/Reports.h"

#include "reports/DateText.h"
#include "reports/PointsText.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

namespace ovalon::Reports {

namespace {

using ReportPage::drawRightAligned;
using ReportPage::formatted;

constexpr std::array<Rect, 4> quarterSlips{Rect{24, 24, 258, 348}, Rect{330, 24, 258, 348},
                                           Rect{24, 420, 258, 348}, Rect{330, 420, 258, 348}};
constexpr Rect fullPageSlip{48, 48, 516, 676};

// Text on a quarter-page slip shrinks less than the slip does, so it stays readable.
constexpr double quarterScale = 0.8;

void drawCuttingGuides(Canvas &canvas) {
  canvas.save();
  canvas.setStrokeGray(0.7);
  canvas.setLineWidth(0.5);
  canvas.setLineDash({4, 4});
  canvas.moveTo({306, 12});
  canvas.lineTo({306, 780});
  canvas.strokePath();
  canvas.moveTo({12, 396});
  canvas.lineTo({600, 396});
  canvas.strokePath();
  canvas.restore();
}

std::string detailLine(const ResultSlip &slip, Date today) {
  std::vector<std::string> parts;
  if (!slip.studentID.empty())
    parts.push_back("ID " + slip.studentID);
  if (slip.showsVersion)
    parts.push_back("Version " + slip.version);
  parts.push_back(DateText::abbreviated(today));
  std::string line;
  for (const std::string &part : parts)
    line += (line.empty() ? "" : " · ") + part;
  return line;
}

// The misses in columns filled top to bottom; when they do not all fit, the last place
// tells how many were left out.
void drawMisses(Canvas &canvas, const std::vector<ResultSlip::Miss> &misses, Rect area, double s) {
  const double pitchX = 129 * s, pitchY = 16 * s, size = 10 * s;
  const int columns = std::max(1, static_cast<int>(area.width / pitchX));
  const int rows = std::max(1, static_cast<int>(std::floor(area.height / pitchY)));
  const int capacity = columns * rows;
  const int count = static_cast<int>(misses.size());
  const int shown = count <= capacity ? count : capacity - 1;
  auto place = [&](int index) {
    return Point{area.x + pitchX * (index / rows), area.y + pitchY * (index % rows) + size};
  };
  for (int i = 0; i < shown; ++i) {
    const ResultSlip::Miss &miss = misses[static_cast<size_t>(i)];
    const Point at = place(i);
    canvas.drawText({std::to_string(miss.number) + ".", Font::helveticaBold(size), 0.2}, at);
    const TextLine given = miss.given ? TextLine{*miss.given, Font::helvetica(size), 0.1}
                                      : TextLine{"blank", Font::helvetica(size), 0.5};
    canvas.drawText(given.truncated(44 * s), {at.x + 30 * s, at.y});
    canvas.drawText(TextLine{miss.correct, Font::helveticaBold(size), 0}.truncated(50 * s),
                    {at.x + 78 * s, at.y});
  }
  if (shown < count)
    canvas.drawText({"+" + std::to_string(count - shown), Font::helveticaBold(size), 0.4},
                    place(shown));
}

// One slip inside `box`; `s` scales the text and spacing from the full-page sizes.
void drawSlip(Canvas &canvas, const ResultSlip &slip, Rect box, double s, Date today) {
  double y = box.y + 22 * s;
  const TextLine percent{
      formatted("%.1f%%", slip.possible > 0 ? slip.earned / slip.possible * 100 : 0),
      Font::helveticaBold(22 * s), 0};
  drawRightAligned(canvas, percent, box.maxX(), y);
  const double nameRoom = std::max(box.width - percent.width() - 12 * s, 0.0);
  canvas.drawText(TextLine{slip.name, Font::helveticaBold(16 * s), 0.05}.truncated(nameRoom),
                  {box.x, y});

  y += 18 * s;
  canvas.drawText(
      TextLine{detailLine(slip, today), Font::helvetica(9 * s), 0.4}.truncated(box.width),
      {box.x, y});
  y += 15 * s;
  canvas.drawText({pointsText(slip.earned) + " of " + pointsText(slip.possible) + " points",
                   Font::helvetica(9.5 * s), 0.3},
                  {box.x, y});
  y += 11 * s;
  canvas.setStrokeGray(0.2);
  canvas.setLineWidth(0.75 * s);
  canvas.moveTo({box.x, y});
  canvas.lineTo({box.maxX(), y});
  canvas.strokePath();

  if (slip.misses.empty()) {
    canvas.drawText({"Every question right. Well done!", Font::helveticaBold(13 * s), 0.15},
                    {box.x, y + 24 * s});
    return;
  }
  const size_t count = slip.misses.size();
  y += 22 * s;
  canvas.drawText(
      {std::to_string(count) + " question" + (count == 1 ? "" : "s") + " to look at again",
       Font::helveticaBold(11 * s), 0.15},
      {box.x, y});
  y += 10 * s;
  drawMisses(canvas, slip.misses, {box.x, y, box.width, box.maxY() - y}, s);
}

} // namespace

std::optional<Bytes> slipsPDF(const std::vector<ResultSlip> &slips, const Exam &exam,
                              SlipLayout layout, Date today) {
  std::optional<PdfWriter> writer = PdfWriter::open(ReportPage::size, exam.title + " Result Slips");
  if (!writer)
    return std::nullopt;
  const bool four = layout == SlipLayout::fourPerPage;
  const int perPage = four ? 4 : 1;
  const int count = static_cast<int>(slips.size());
  const int pages = (count + perPage - 1) / perPage;
  for (int page = 0; page < pages; ++page) {
    Canvas &canvas = writer->beginPage();
    ReportPage::flip(canvas);
    for (int place = 0; place < perPage; ++place) {
      const int index = page * perPage + place;
      if (index >= count)
        break;
      const ResultSlip &slip = slips[static_cast<size_t>(index)];
      if (four)
        drawSlip(canvas, slip, quarterSlips[static_cast<size_t>(place)], quarterScale, today);
      else
        drawSlip(canvas, slip, fullPageSlip, 1, today);
    }
    if (four)
      drawCuttingGuides(canvas);
    else
      ReportPage::drawFooter(canvas, ReportPage::pageFooter(page + 1, pages));
    writer->endPage();
  }
  return writer->close();
}

} // namespace ovalon::Reports
