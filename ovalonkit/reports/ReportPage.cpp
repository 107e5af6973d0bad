#include "reports/ReportPage.h"

#include <cstdio>

namespace ovalon::ReportPage {

void flip(Canvas &canvas) {
  canvas.translate(0, size.height);
  canvas.scale(1, -1);
}

void drawFooter(Canvas &canvas, const std::string &text) {
  drawCentred(canvas, {text, Font::helvetica(8), 0.5}, size.width / 2, 764);
}

std::string pageFooter(int page, int pageCount) {
  return "Ovalon · Page " + std::to_string(page) + " of " + std::to_string(pageCount);
}

void drawCentred(Canvas &canvas, const TextLine &line, double centreX, double baseline) {
  canvas.drawText(line, {centreX - line.width() / 2, baseline});
}

void drawRightAligned(Canvas &canvas, const TextLine &line, double rightX, double baseline) {
  canvas.drawText(line, {rightX - line.width(), baseline});
}

std::string formatted(const char *format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

} // namespace ovalon::ReportPage
