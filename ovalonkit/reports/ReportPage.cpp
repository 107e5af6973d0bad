#include "reports/ReportPage.h"

#include "sheets/SheetLayout.h"

#include <cstdio>

namespace ovalon {

ReportPage ReportPage::of(const Exam &exam) {
  return {SheetLayout(exam).pageSize};
}

void ReportPage::flip(Canvas &canvas) const {
  canvas.translate(0, size.height);
  canvas.scale(1, -1);
}

void ReportPage::drawFooter(Canvas &canvas, const std::string &text) const {
  drawCentred(canvas, {text, Font::helvetica(8), 0.5}, size.width / 2, size.height - 28);
}

std::string ReportPage::pageFooter(int page, int pageCount) {
  return "Ovalon · Page " + std::to_string(page) + " of " + std::to_string(pageCount);
}

void ReportPage::drawCentred(Canvas &canvas, const TextLine &line, double centreX,
                             double baseline) {
  canvas.drawText(line, {centreX - line.width() / 2, baseline});
}

void ReportPage::drawRightAligned(Canvas &canvas, const TextLine &line, double rightX,
                                  double baseline) {
  canvas.drawText(line, {rightX - line.width(), baseline});
}

std::string ReportPage::formatted(const char *format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

} // namespace ovalon
