#pragma once

#include "model/Exam.h"
#include "sheets/Canvas.h"
#include "sheets/Size.h"
#include "sheets/TextLine.h"

#include <string>

namespace ovalon {

// What every printed report shares: a page of the test's own paper (A4 or US Letter, so the
// reports go through the same printer tray as the sheets), drawn from the top-left with y
// downward, 48-point side margins and a centred footer 28 points above the bottom edge.
struct ReportPage {
  static constexpr double left = 48;
  // The layouts were first fitted to US Letter; taller paper gives their tables more room.
  static constexpr double letterHeight = 792;

  Size size;

  static ReportPage of(const Exam &exam);

  double contentWidth() const { return size.width - 2 * left; }
  double extraHeight() const { return size.height - letterHeight; }

  // Turns a freshly begun page to a top-left origin with y downward.
  void flip(Canvas &canvas) const;

  // The footer line, Helvetica 8 in mid gray, centred near the bottom edge.
  void drawFooter(Canvas &canvas, const std::string &text) const;

  // "Ovalon · Page 2 of 3".
  static std::string pageFooter(int page, int pageCount);

  static void drawCentred(Canvas &canvas, const TextLine &line, double centreX, double baseline);
  static void drawRightAligned(Canvas &canvas, const TextLine &line, double rightX,
                               double baseline);

  // One number through a printf format such as "%.1f%%".
  static std::string formatted(const char *format, double value);
};

} // namespace ovalon
