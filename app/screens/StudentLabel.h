#pragma once

#include <QString>

namespace ovalon {

struct ExamDocument;
struct ScannedSheet;

// Who a graded sheet is for, as the screens word it: the roster's name when the sheet's
// ID is on the roster; otherwise the name read from the sheet's name line, marked as
// read from the sheet (handwriting is often a few letters off, so it is never passed
// off as the roster's); "Not on roster" or "Unknown" when no name could be read.
struct StudentLabel {
  QString text;
  bool fromSheet = false; // `text` is the handwriting as read
  QString description;    // the whole story, for tooltips and screen readers

  static StudentLabel of(const ExamDocument &document, const ScannedSheet &sheet);
};

} // namespace ovalon
