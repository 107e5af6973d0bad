#include "reports/Reports.h"

#include "reports/DateText.h"
#include "reports/PointsText.h"
#include "reports/ReportPage.h"
#include "sheets/PdfWriter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace ovalon::Reports {

namespace {

constexpr auto formatted = &ReportPage::formatted;

// Text on a quarter-page slip shrinks less than the slip does, so it stays readable.
constexpr double quarterScale = 0.8;

// Where the slips go on a page: the whole page inside the margins and above the footer, or
// its four quarters, filled left to right, then top to bottom.
std::vector<Rect> slipPlaces(const ReportPage &page, SlipLayout layout) {
  const double w = page.size.width, h = page.size.height;
  if (layout == SlipLayout::onePerPage)
    return {{ReportPage::left, 48, page.contentWidth(), h - 116}};
  const double width = w / 2 - 48, height = h / 2 - 48;
  return {{24, 24, width, height},
          {w / 2 + 24, 24, width, height},
          {24, h / 2 + 24, width, height},
          {w / 2 + 24, h / 2 + 24, width, height}};
}

void drawCuttingGuides(Canvas &canvas, Size page) {
  canvas.save();
  canvas.setStrokeGray(0.7);
  canvas.setLineWidth(0.5);
  canvas.setLineDash({4, 4});
  canvas.moveTo({page.width / 2, 12});
  canvas.lineTo({page.width / 2, page.height - 12});
  canvas.strokePath();
  canvas.moveTo({12, page.height / 2});
  canvas.lineTo({page.width - 12, page.height / 2});
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

// The misses in columns filled top to bottom, each column headed so a student can tell their
// answer from the right one; when they do not all fit, the last place tells how many were
// left out.
void drawMisses(Canvas &canvas, const std::vector<ResultSlip::Miss> &misses, Rect area, double s) {
  const double pitchX = 129 * s, pitchY = 16 * s, size = 10 * s;
  const double givenX = 30 * s, correctX = 78 * s, headingRoom = 12 * s;
  const int columns = std::max(1, static_cast<int>(area.width / pitchX));
  const int rows = std::max(1, static_cast<int>(std::floor((area.height - headingRoom) / pitchY)));
  const int capacity = columns * rows;
  const int count = static_cast<int>(misses.size());
  const int shown = count <= capacity ? count : capacity - 1;
  auto place = [&](int index) {
    return Point{area.x + pitchX * (index / rows),
                 area.y + headingRoom + pitchY * (index % rows) + size};
  };
  const int usedColumns = std::min(columns, (std::min(count, capacity) + rows - 1) / rows);
  for (int column = 0; column < usedColumns; ++column) {
    const Point at{area.x + pitchX * column, area.y + 9 * s};
    const Font font = Font::helveticaBold(7 * s);
    canvas.drawText({"#", font, 0.45}, at);
    canvas.drawText(TextLine{"Your answer", font, 0.45}.truncated(correctX - givenX - 4 * s),
                    {at.x + givenX, at.y});
    canvas.drawText(TextLine{"Right answer", font, 0.45}.truncated(pitchX - correctX - 4 * s),
                    {at.x + correctX, at.y});
  }
  for (int i = 0; i < shown; ++i) {
    const ResultSlip::Miss &miss = misses[static_cast<size_t>(i)];
    const Point at = place(i);
    canvas.drawText({std::to_string(miss.number) + ".", Font::helveticaBold(size), 0.2}, at);
    const TextLine given = miss.given ? TextLine{*miss.given, Font::helvetica(size), 0.1}
                                      : TextLine{"blank", Font::helvetica(size), 0.5};
    canvas.drawText(given.truncated(44 * s), {at.x + givenX, at.y});
    canvas.drawText(TextLine{miss.correct, Font::helveticaBold(size), 0}.truncated(50 * s),
                    {at.x + correctX, at.y});
  }
  if (shown < count)
    canvas.drawText({"+" + std::to_string(count - shown), Font::helveticaBold(size), 0.4},
                    place(shown));
}

// One slip inside `box`; `s` scales the text and spacing from the full-page sizes. The test's
// title heads it, so a slip found loose in a bag still says what it is about.
void drawSlip(Canvas &canvas, const ResultSlip &slip, const std::string &title, Rect box, double s,
              Date today) {
  double y = box.y + 10 * s;
  canvas.drawText(
      TextLine{title.empty() ? "Test" : title, Font::helveticaBold(9 * s), 0.35}.truncated(
          box.width),
      {box.x, y});
  y += 24 * s;
  const TextLine percent{
      formatted("%.1f%%", slip.possible > 0 ? slip.earned / slip.possible * 100 : 0),
      Font::helveticaBold(22 * s), 0};
  ReportPage::drawRightAligned(canvas, percent, box.maxX(), y);
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
  const ReportPage page = ReportPage::of(exam);
  std::optional<PdfWriter> writer = PdfWriter::open(page.size, exam.title + " Result Slips");
  if (!writer)
    return std::nullopt;
  const bool four = layout == SlipLayout::fourPerPage;
  const std::vector<Rect> places = slipPlaces(page, layout);
  const int perPage = static_cast<int>(places.size());
  const int count = static_cast<int>(slips.size());
  const int pages = (count + perPage - 1) / perPage;
  for (int index = 0; index < pages; ++index) {
    Canvas &canvas = writer->beginPage();
    page.flip(canvas);
    for (int place = 0; place < perPage && index * perPage + place < count; ++place)
      drawSlip(canvas, slips[static_cast<size_t>(index * perPage + place)], exam.title,
               places[static_cast<size_t>(place)], four ? quarterScale : 1, today);
    if (four)
      drawCuttingGuides(canvas, page.size);
    else
      page.drawFooter(canvas, ReportPage::pageFooter(index + 1, pages));
    writer->endPage();
  }
  return writer->close();
}

} // namespace ovalon::Reports
