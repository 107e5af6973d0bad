#pragma once

#include <QColor>
#include <QPalette>

namespace ovalon::ui {

// The few colours that carry meaning beyond the desktop's palette. Each is derived
// from the palette it is shown on, so it stays readable in light and dark themes.
enum class Tone {
  right,   // an answer that scored
  wrong,   // an answer that didn't
  review,  // a mark waiting for the teacher
  warning, // something to fix before printing or grading
  student, // a question about who the sheet belongs to
  page,    // a page that is missing or couldn't be read
  quiet,   // secondary text, and a blank: nothing to see, but still open
  plain,   // ordinary text
};

// True when the palette's window is darker than its text.
bool isDark(const QPalette &palette);

// The tone as text or a line on the palette's window and base colours.
QColor toneColor(Tone tone, const QPalette &palette);

// `a` mixed with `b`: 0 is all `a`, 1 all `b`.
QColor mix(const QColor &a, const QColor &b, double amount);

// Secondary text that stays clearly dimmer than the palette's text in any theme.
QColor secondaryText(const QPalette &palette);

} // namespace ovalon::ui
