#pragma once

#include "sheets/Canvas.h"
#include "sheets/Size.h"
#include "sheets/TextLine.h"

#include <string>
#include <string_view>

// What every printed report shares: a US Letter page whatever the test's paper, drawn from
// the top-left with y downward, a 48-point left margin and a centred footer.
namespace ovalon::ReportPage {

inline constexpr Size size{612, 792};
inline constexpr double left = 48;
inline constexpr double contentWidth = 516;

// Turns a freshly begun page to a top-left origin with y downward.
void flip(Canvas &canvas);

// The footer line, Helvetica 8 in mid gray, centred near the bottom edge.
void drawFooter(Canvas &canvas, const std::string &text);

// "Ovalon · Page 2 of 3".
std::string pageFooter(int page, int pageCount);

void drawCentred(Canvas &canvas, const TextLine &line, double centreX, double baseline);
void drawRightAligned(Canvas &canvas, const TextLine &line, double rightX, double baseline);

// One number through a printf format such as "%.1f%%".
std::string formatted(const char *format, double value);

} // namespace ovalon::ReportPage
