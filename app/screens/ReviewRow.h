#pragma once

#include "library/ExamDocument.h"
#include "workflow/Review.h"

#include <optional>
#include <string>

namespace ovalon {

// What one line of the review list says about an item, read from the document.
struct ReviewRow {
  enum class Kind { blank, double_, faint, studentID, missingPage, issue };

  Kind kind = Kind::issue;
  std::string title;                  // "Blank", "Two marks", …, "Pages Not Read"
  std::string detail;                 // "Sheet 4 (Q12 on version A)", or the page's source
  std::optional<std::string> settled; // what was decided, or "Left out"
  bool open = false;

  // Nothing when the item is no longer in the document.
  static std::optional<ReviewRow> make(const ExamDocument &document, const Review::Item &item);

  bool operator==(const ReviewRow &) const = default;
};

} // namespace ovalon
